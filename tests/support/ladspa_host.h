#pragma once
// A minimal LADSPA host for tests and benchmarks: opens a plugin file, instantiates a label
// at a rate, connects control values and stereo buffers, and runs blocks, as the sound
// server's ladspa sink does.
#include <dlfcn.h>
#include <ladspa.h>

#include <cstring>
#include <string>
#include <vector>

namespace dz::test {

class LadspaHost {
  public:
    LadspaHost(const std::string& file, const char* label, unsigned long rate) {
        library_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) return;
        auto entry = reinterpret_cast<LADSPA_Descriptor_Function>(::dlsym(library_, "ladspa_descriptor"));
        for (unsigned long i = 0; entry != nullptr; ++i) {
            const LADSPA_Descriptor* d = entry(i);
            if (d == nullptr) break;
            if (std::strcmp(d->Label, label) == 0) descriptor_ = d;
        }
        if (descriptor_ == nullptr) return;
        handle_ = descriptor_->instantiate(descriptor_, rate);
        if (handle_ == nullptr) return;
        for (unsigned long p = 0; p < descriptor_->PortCount; ++p) {
            const LADSPA_PortDescriptor kind = descriptor_->PortDescriptors[p];
            if (LADSPA_IS_PORT_CONTROL(kind)) {
                controls_.push_back(p);
            } else if (LADSPA_IS_PORT_INPUT(kind)) {
                inputs_.push_back(p);
            } else {
                outputs_.push_back(p);
            }
        }
        values_.assign(controls_.size(), 0.0f);
        for (size_t c = 0; c < controls_.size(); ++c)
            descriptor_->connect_port(handle_, controls_[c], &values_[c]);
        if (descriptor_->activate != nullptr) descriptor_->activate(handle_);
    }
    ~LadspaHost() {
        if (handle_ != nullptr) descriptor_->cleanup(handle_);
        if (library_ != nullptr) ::dlclose(library_);
    }
    LadspaHost(const LadspaHost&) = delete;
    LadspaHost& operator=(const LadspaHost&) = delete;

    [[nodiscard]] bool Ready() const { return handle_ != nullptr; }
    [[nodiscard]] size_t Controls() const { return controls_.size(); }
    [[nodiscard]] size_t Inputs() const { return inputs_.size(); }
    [[nodiscard]] size_t Outputs() const { return outputs_.size(); }
    void SetControl(size_t c, float v) { values_.at(c) = v; }

    // One block: `in[k]` into audio input k, output k into `out[k]` (same length).
    void Run(const std::vector<const float*>& in, const std::vector<float*>& out, unsigned long frames) {
        for (size_t k = 0; k < inputs_.size() && k < in.size(); ++k)
            descriptor_->connect_port(handle_, inputs_[k], const_cast<float*>(in[k]));
        for (size_t k = 0; k < outputs_.size() && k < out.size(); ++k)
            descriptor_->connect_port(handle_, outputs_[k], out[k]);
        descriptor_->run(handle_, frames);
    }

  private:
    void* library_ = nullptr;
    const LADSPA_Descriptor* descriptor_ = nullptr;
    LADSPA_Handle handle_ = nullptr;
    std::vector<unsigned long> controls_, inputs_, outputs_;
    std::vector<float> values_;
};

}  // namespace dz::test
