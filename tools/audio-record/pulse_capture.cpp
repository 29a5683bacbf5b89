#include "pulse_capture.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <algorithm>
#include <cstring>

namespace dz::audio_record {

void ScaleSamples(const int16_t* in, SamplePacket& out) {
    for (size_t i = 0; i < kPacketSamples; ++i) out[i] = int32_t{in[i]} / kScaleDivisor;
}

PulseCapture::~PulseCapture() {
    if (stream_ != nullptr) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        (void)pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_ != nullptr) pa_mainloop_free(loop_);
}

bool PulseCapture::Failed(const char* what) {
    if (!failed_) {
        failed_ = true;
        const int err = context_ != nullptr ? pa_context_errno(context_) : PA_ERR_INTERNAL;
        error_ = err != 0 ? pa_strerror(err) : what;
    }
    return false;
}

void PulseCapture::OnContextState(pa_context* context, void* self) {
    auto* me = static_cast<PulseCapture*>(self);
    const pa_context_state_t s = pa_context_get_state(context);
    if (s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED) (void)me->Failed("connection ended");
}

void PulseCapture::OnStreamState(pa_stream* stream, void* self) {
    auto* me = static_cast<PulseCapture*>(self);
    const pa_stream_state_t s = pa_stream_get_state(stream);
    if (s == PA_STREAM_FAILED || s == PA_STREAM_TERMINATED) (void)me->Failed("stream ended");
}

void PulseCapture::OnReadable(pa_stream* stream, size_t /*bytes*/, void* self) {
    auto* me = static_cast<PulseCapture*>(self);
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        size_t size = 0;
        if (pa_stream_peek(stream, &data, &size) < 0) {
            (void)me->Failed("read failed");
            return;
        }
        if (size == 0) break;
        me->Take(static_cast<const uint8_t*>(data), size);
        (void)pa_stream_drop(stream);
    }
}

void PulseCapture::Take(const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const size_t n = std::min(size, pending_.size() - filled_);
        if (bytes != nullptr) {
            std::memcpy(pending_.data() + filled_, bytes, n);
            bytes += n;
        } else {
            std::memset(pending_.data() + filled_, 0, n);
        }
        filled_ += n;
        size -= n;
        if (filled_ < pending_.size()) break;
        filled_ = 0;
        std::array<int16_t, kPacketSamples> raw{};
        std::memcpy(raw.data(), pending_.data(), pending_.size());
        SamplePacket packet{};
        ScaleSamples(raw.data(), packet);
        if (deliver_ != nullptr) (*deliver_)(packet);
    }
}

bool PulseCapture::IterateUntil(const std::function<bool()>& done) {
    while (!failed_ && !done()) {
        if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) return Failed("main loop ended");
    }
    return !failed_;
}

bool PulseCapture::Open(const std::string& client_name) {
    loop_ = pa_mainloop_new();
    if (loop_ == nullptr) return Failed("no main loop");
    context_ = pa_context_new(pa_mainloop_get_api(loop_), client_name.c_str());
    if (context_ == nullptr) return Failed("no context");
    pa_context_set_state_callback(context_, OnContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
        return Failed("cannot connect");
    if (!IterateUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; }))
        return false;

    const pa_sample_spec format{PA_SAMPLE_S16LE, kSampleRate, 1};
    stream_ = pa_stream_new(context_, "what the computer plays", &format, nullptr);
    if (stream_ == nullptr) return Failed("no stream");
    pa_stream_set_state_callback(stream_, OnStreamState, this);
    pa_stream_set_read_callback(stream_, OnReadable, this);
    // One packet per fragment, the server's latency adjusted to it: the light's delay stays
    // at a packet or two (about 30 ms from a tone's start to the first lit light). The
    // server still hands over what its sink renders, a third of a packet or so at a time,
    // so the loop wakes two or three times a packet; three packets a fragment would halve
    // that at twice the delay. No timing updates: nothing here needs them.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pending_.size());
    if (pa_stream_connect_record(stream_, "@DEFAULT_MONITOR@", &attr, PA_STREAM_ADJUST_LATENCY) < 0)
        return Failed("cannot open the record stream");
    return IterateUntil([this] { return pa_stream_get_state(stream_) == PA_STREAM_READY; });
}

bool PulseCapture::Run(const std::function<void(const SamplePacket&)>& packet) {
    deliver_ = &packet;
    bool ok = true;
    while (!stop_.load()) {
        if (flush_.exchange(false)) {
            if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr))
                pa_operation_unref(op);
            filled_ = 0;
        }
        if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) (void)Failed("main loop ended");
        if (failed_) {
            ok = false;
            break;
        }
    }
    deliver_ = nullptr;
    return ok;
}

void PulseCapture::Stop() {
    stop_.store(true);
    if (loop_ != nullptr) pa_mainloop_wakeup(loop_);
}

void PulseCapture::Flush() {
    flush_.store(true);
    if (loop_ != nullptr) pa_mainloop_wakeup(loop_);
}

}  // namespace dz::audio_record
