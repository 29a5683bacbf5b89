#include "platform/hid/report_descriptor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace dz::hid {
namespace {

constexpr size_t kMaxUsageEntries = 16384;  // usage entries over the whole descriptor
constexpr size_t kReportIdCount = 256;

size_t KindIndex(ReportKind kind) {
    return static_cast<size_t>(kind);
}

// Item types and tags of the short item format.
enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag : uint8_t {
    kInputTag = 0x8,
    kOutputTag = 0x9,
    kCollectionTag = 0xA,
    kFeatureTag = 0xB,
    kEndCollectionTag = 0xC,
};
enum GlobalTag : uint8_t {
    kUsagePageTag = 0,
    kLogicalMinTag = 1,
    kLogicalMaxTag = 2,
    kPhysicalMinTag = 3,
    kPhysicalMaxTag = 4,
    kUnitExponentTag = 5,
    kUnitTag = 6,
    kReportSizeTag = 7,
    kReportIdTag = 8,
    kReportCountTag = 9,
    kPushTag = 10,
    kPopTag = 11,
};
enum LocalTag : uint8_t { kUsageTag = 0, kUsageMinTag = 1, kUsageMaxTag = 2, kDelimiterTag = 10 };

// A maximum is read unsigned when its minimum is not negative (a 1-byte 0xFF after a
// minimum of 0 means 255), the way devices mean it; 4-byte values stay signed.
struct Bound {
    uint32_t raw = 0;
    size_t size = 0;
};

int32_t SignExtend(uint32_t raw, size_t size) {
    switch (size) {
        case 1:
            return static_cast<int8_t>(raw & 0xFF);
        case 2:
            return static_cast<int16_t>(raw & 0xFFFF);
        case 4:
            return static_cast<int32_t>(raw);
        default:
            return 0;
    }
}

int32_t ResolveMax(int32_t min, const Bound& max) {
    if (min >= 0 && max.size < 4) return static_cast<int32_t>(max.raw);
    return SignExtend(max.raw, max.size);
}

struct Globals {
    uint16_t usage_page = 0;
    int32_t logical_min = 0;
    Bound logical_max;
    int32_t physical_min = 0;
    Bound physical_max;
    int32_t unit_exponent = 0;
    uint32_t unit = 0;
    uint32_t report_size = 0;
    uint32_t report_count = 0;
    uint8_t report_id = 0;
};

struct LocalUsage {
    uint16_t page = 0;
    bool extended = false;  // the page came with the usage (4-byte item)
    bool is_range = false;
    uint16_t min = 0;
    uint16_t max = 0;
};

struct Locals {
    std::vector<LocalUsage> usages;
    bool have_min = false;
    bool have_max = false;
    uint32_t min_raw = 0;
    size_t min_size = 0;
    uint32_t max_raw = 0;
    size_t max_size = 0;
    bool in_delimiter = false;
    bool delimiter_taken = false;  // a usage of the open delimiter set was kept

    void Clear() { *this = Locals{}; }
};

class Parser {
  public:
    Parser(std::span<const uint8_t> bytes, ReportDescriptor& out, std::string& error)
        : bytes_(bytes), out_(out), error_(error) {}

    bool Run();

  private:
    bool Fail(const char* what) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s at offset %zu", what, item_offset_);
        error_ = buf;
        return false;
    }

    bool Global(uint8_t tag, uint32_t udata, int32_t sdata, size_t size);
    bool Local(uint8_t tag, uint32_t udata, size_t size);
    bool Main(uint8_t tag, uint32_t udata);
    bool AddUsage(LocalUsage u);
    bool FinishRange();
    bool DataItem(ReportKind kind, uint32_t flags);
    bool Finish();

    std::span<const uint8_t> bytes_;
    ReportDescriptor& out_;
    std::string& error_;
    size_t item_offset_ = 0;

    Globals globals_;
    std::vector<Globals> stack_;
    Locals locals_;
    size_t depth_ = 0;
    size_t field_count_ = 0;
    size_t entry_count_ = 0;
    // Bits accumulated per report kind and report id over the whole descriptor: a
    // report id names one report, whichever collection its items stand in.
    std::array<std::array<uint32_t, kReportIdCount>, kReportKindCount> report_bits_{};
};

bool Parser::Run() {
    if (bytes_.empty()) return Fail("empty descriptor");
    if (bytes_.size() > kMaxDescriptorBytes) return Fail("descriptor too long");
    size_t pos = 0;
    while (pos < bytes_.size()) {
        item_offset_ = pos;
        const uint8_t prefix = bytes_[pos];
        if (prefix == 0xFE) {  // long item: no defined meaning, skipped whole
            if (bytes_.size() - pos < 3) return Fail("truncated long item");
            const size_t data = bytes_[pos + 1];
            if (bytes_.size() - pos - 3 < data) return Fail("truncated long item");
            pos += 3 + data;
            continue;
        }
        size_t size = prefix & 0x3;
        if (size == 3) size = 4;
        const uint8_t type = (prefix >> 2) & 0x3;
        const uint8_t tag = prefix >> 4;
        if (bytes_.size() - pos - 1 < size) return Fail("truncated item");
        uint32_t udata = 0;
        for (size_t i = 0; i < size; ++i)
            udata |= static_cast<uint32_t>(bytes_[pos + 1 + i]) << (8 * i);
        const int32_t sdata = SignExtend(udata, size);
        pos += 1 + size;
        bool ok = true;
        switch (type) {
            case kMain:
                ok = Main(tag, udata);
                break;
            case kGlobal:
                ok = Global(tag, udata, sdata, size);
                break;
            case kLocal:
                ok = Local(tag, udata, size);
                break;
            default:  // reserved item type: ignored, as its size is known
                break;
        }
        if (!ok) return false;
    }
    item_offset_ = bytes_.size();
    return Finish();
}

bool Parser::Global(uint8_t tag, uint32_t udata, int32_t sdata, size_t size) {
    switch (tag) {
        case kUsagePageTag:
            if (udata > 0xFFFF) return Fail("usage page out of range");
            globals_.usage_page = static_cast<uint16_t>(udata);
            break;
        case kLogicalMinTag:
            globals_.logical_min = sdata;
            break;
        case kLogicalMaxTag:
            globals_.logical_max = {udata, size};
            break;
        case kPhysicalMinTag:
            globals_.physical_min = sdata;
            break;
        case kPhysicalMaxTag:
            globals_.physical_max = {udata, size};
            break;
        case kUnitExponentTag:
            // A nibble in the common 1-byte form (0x8..0xF are -8..-1).
            globals_.unit_exponent = udata <= 0xF ? static_cast<int32_t>(udata ^ 0x8) - 0x8 : sdata;
            break;
        case kUnitTag:
            globals_.unit = udata;
            break;
        case kReportSizeTag:
            if (udata > kMaxFieldBits) return Fail("report size too large");
            globals_.report_size = udata;
            break;
        case kReportIdTag:
            if (udata == 0 || udata > 0xFF) return Fail("invalid report id");
            globals_.report_id = static_cast<uint8_t>(udata);
            out_.uses_report_ids = true;
            break;
        case kReportCountTag:
            if (udata > 0xFFFF) return Fail("report count too large");
            globals_.report_count = udata;
            break;
        case kPushTag:
            if (stack_.size() >= kMaxGlobalStackDepth) return Fail("push overflow");
            stack_.push_back(globals_);
            break;
        case kPopTag:
            if (stack_.empty()) return Fail("pop without push");
            globals_ = stack_.back();
            stack_.pop_back();
            break;
        default:  // reserved global tags carry nothing we use
            break;
    }
    return true;
}

bool Parser::AddUsage(LocalUsage u) {
    // Inside a delimiter set only the first usage counts; the rest are alternatives.
    if (locals_.in_delimiter) {
        if (locals_.delimiter_taken) return true;
        locals_.delimiter_taken = true;
    }
    if (locals_.usages.size() >= kMaxLocalUsages) return Fail("too many usages");
    locals_.usages.push_back(u);
    return true;
}

bool Parser::FinishRange() {
    if (!locals_.have_min || !locals_.have_max) return true;
    LocalUsage u;
    u.is_range = true;
    u.extended = locals_.min_size == 4 || locals_.max_size == 4;
    const uint16_t min_page = static_cast<uint16_t>(locals_.min_raw >> 16);
    const uint16_t max_page = static_cast<uint16_t>(locals_.max_raw >> 16);
    if (locals_.min_size == 4 && locals_.max_size == 4 && min_page != max_page)
        return Fail("usage range spans usage pages");
    u.page = locals_.min_size == 4 ? min_page : max_page;
    u.min = static_cast<uint16_t>(locals_.min_raw & 0xFFFF);
    u.max = static_cast<uint16_t>(locals_.max_raw & 0xFFFF);
    if (u.min > u.max) return Fail("usage minimum above usage maximum");
    locals_.have_min = locals_.have_max = false;
    return AddUsage(u);
}

bool Parser::Local(uint8_t tag, uint32_t udata, size_t size) {
    switch (tag) {
        case kUsageTag: {
            LocalUsage u;
            u.extended = size == 4;
            u.page = static_cast<uint16_t>(udata >> 16);
            u.min = u.max = static_cast<uint16_t>(udata & 0xFFFF);
            return AddUsage(u);
        }
        case kUsageMinTag:
            locals_.have_min = true;
            locals_.min_raw = udata;
            locals_.min_size = size;
            return FinishRange();
        case kUsageMaxTag:
            locals_.have_max = true;
            locals_.max_raw = udata;
            locals_.max_size = size;
            return FinishRange();
        case kDelimiterTag:
            if (udata == 1) {
                if (locals_.in_delimiter) return Fail("nested delimiter");
                locals_.in_delimiter = true;
                locals_.delimiter_taken = false;
            } else if (udata == 0) {
                if (!locals_.in_delimiter) return Fail("delimiter close without open");
                locals_.in_delimiter = false;
            } else {
                return Fail("invalid delimiter");
            }
            return true;
        default:  // designators and strings do not affect reports
            return true;
    }
}

bool Parser::Main(uint8_t tag, uint32_t udata) {
    if (locals_.in_delimiter) return Fail("main item inside a delimiter set");
    // A usage without a page of its own takes the page in force at the main item.
    for (LocalUsage& u : locals_.usages)
        if (!u.extended) u.page = globals_.usage_page;
    bool ok = true;
    switch (tag) {
        case kCollectionTag:
            if (depth_ >= kMaxCollectionDepth) return Fail("collections nested too deep");
            if (depth_ == 0) {
                TopLevelCollection tlc;
                if (!locals_.usages.empty()) {
                    tlc.usage_page = locals_.usages.front().page;
                    tlc.usage = locals_.usages.front().min;
                } else {
                    tlc.usage_page = globals_.usage_page;
                }
                out_.collections.push_back(std::move(tlc));
            }
            ++depth_;
            break;
        case kEndCollectionTag:
            if (depth_ == 0) return Fail("end collection without collection");
            --depth_;
            break;
        case kInputTag:
            ok = DataItem(ReportKind::kInput, udata);
            break;
        case kOutputTag:
            ok = DataItem(ReportKind::kOutput, udata);
            break;
        case kFeatureTag:
            ok = DataItem(ReportKind::kFeature, udata);
            break;
        default:  // reserved main tags
            break;
    }
    locals_.Clear();
    return ok;
}

bool Parser::DataItem(ReportKind kind, uint32_t flags) {
    if (depth_ == 0) return Fail("data item outside a collection");
    const uint64_t bits = static_cast<uint64_t>(globals_.report_size) * globals_.report_count;
    if (bits == 0) return true;
    const size_t k = KindIndex(kind);
    uint32_t& report_bits = report_bits_[k][globals_.report_id];
    const uint64_t total = static_cast<uint64_t>(report_bits) + bits;
    if ((total + 7) / 8 + 1 > kMaxReportBytes) return Fail("report too long");
    const uint32_t offset = report_bits;
    report_bits = static_cast<uint32_t>(total);

    TopLevelCollection& tlc = out_.collections.back();
    auto& ids = tlc.report_ids_by_kind[k];
    if (std::find(ids.begin(), ids.end(), globals_.report_id) == ids.end())
        ids.push_back(globals_.report_id);

    const bool constant = (flags & 0x1) != 0;
    if (locals_.usages.empty()) return true;  // padding, or data with nothing to name it

    if (++field_count_ > kMaxFields) return Fail("too many report fields");
    ReportField field;
    field.kind = kind;
    field.report_id = globals_.report_id;
    field.bit_offset = offset;
    field.bit_size = static_cast<uint16_t>(globals_.report_size);
    field.report_count = static_cast<uint16_t>(globals_.report_count);
    field.logical_min = globals_.logical_min;
    field.logical_max = ResolveMax(globals_.logical_min, globals_.logical_max);
    field.physical_min = globals_.physical_min;
    field.physical_max = ResolveMax(globals_.physical_min, globals_.physical_max);
    field.unit = globals_.unit;
    field.unit_exponent = globals_.unit_exponent;
    field.flags = flags;
    field.is_constant = constant;
    field.is_array = (flags & 0x2) == 0;
    field.is_button = field.is_array || field.bit_size == 1;

    if (field.is_array) {
        // Every value of the array is an index into the concatenated usage list.
        uint32_t index = 0;
        for (const LocalUsage& u : locals_.usages) {
            const uint32_t span = static_cast<uint32_t>(u.max) - u.min + 1;
            field.usages.push_back({u.page, u.min, u.max, index, span});
            index += span;
        }
    } else {
        // Bit fields take the usages in order; the last usage repeats for the rest.
        uint32_t index = 0;
        const uint32_t count = field.report_count;
        for (size_t i = 0; i < locals_.usages.size() && index < count; ++i) {
            const LocalUsage& u = locals_.usages[i];
            const uint32_t span = static_cast<uint32_t>(u.max) - u.min + 1;
            const uint32_t remaining = count - index;
            const bool last = i + 1 == locals_.usages.size() || span >= remaining;
            const uint32_t covered = last ? remaining : span;
            const uint16_t max = static_cast<uint16_t>(u.min + std::min(span, covered) - 1);
            field.usages.push_back({u.page, u.min, max, index, covered});
            index += covered;
            if (last) break;
        }
    }
    entry_count_ += field.usages.size();
    if (entry_count_ > kMaxUsageEntries) return Fail("too many usages");

    const size_t field_index = tlc.fields.size();
    for (size_t e = 0; e < field.usages.size(); ++e) {
        const UsageEntry& entry = field.usages[e];
        HidCap cap;
        cap.kind = kind;
        cap.report_id = field.report_id;
        cap.usage_page = entry.usage_page;
        cap.is_range = locals_.usages[e].is_range;
        cap.usage_min = entry.usage_min;
        cap.usage_max = entry.usage_max;
        cap.bit_size = field.bit_size;
        if (field.is_array) {
            cap.bit_offset = field.bit_offset;
            cap.report_count = field.report_count;
            cap.array_index = entry.first_index;
        } else {
            cap.bit_offset = field.bit_offset + entry.first_index * field.bit_size;
            cap.report_count = static_cast<uint16_t>(entry.count);
        }
        cap.logical_min = field.logical_min;
        cap.logical_max = field.logical_max;
        cap.physical_min = field.physical_min;
        cap.physical_max = field.physical_max;
        cap.is_array = field.is_array;
        cap.is_absolute = (flags & 0x4) == 0;
        cap.is_constant = constant;
        cap.field = field_index;
        (field.is_button ? tlc.button_caps[k] : tlc.value_caps[k]).push_back(cap);
    }
    tlc.fields.push_back(std::move(field));
    return true;
}

bool Parser::Finish() {
    if (depth_ != 0) return Fail("collection not closed");
    if (out_.collections.empty()) return Fail("no top-level collection");
    if (out_.uses_report_ids) {
        for (size_t k = 0; k < kReportKindCount; ++k)
            if (report_bits_[k][0] != 0) return Fail("data before the first report id");
    }
    for (TopLevelCollection& tlc : out_.collections) {
        for (size_t k = 0; k < kReportKindCount; ++k) {
            auto& ids = tlc.report_ids_by_kind[k];
            std::sort(ids.begin(), ids.end());
            uint16_t longest = 0;
            for (uint8_t id : ids) {
                const auto bytes = static_cast<uint16_t>((report_bits_[k][id] + 7) / 8 + 1);
                longest = std::max(longest, bytes);
            }
            tlc.report_length[k] = longest;
            out_.max_report_length[k] = std::max(out_.max_report_length[k], longest);
            tlc.report_ids.insert(tlc.report_ids.end(), ids.begin(), ids.end());
        }
        std::sort(tlc.report_ids.begin(), tlc.report_ids.end());
        tlc.report_ids.erase(std::unique(tlc.report_ids.begin(), tlc.report_ids.end()),
                             tlc.report_ids.end());
    }
    return true;
}

// Reads `size` (1..32) bits starting `bit` bits after the report id byte.
bool ReadBits(std::span<const uint8_t> report, uint64_t bit, uint32_t size, uint32_t& out) {
    if (size == 0 || size > 32) return false;
    const uint64_t start = bit + 8;  // skip the report id byte
    const uint64_t end = start + size;
    if (end > static_cast<uint64_t>(report.size()) * 8) return false;
    uint64_t acc = 0;
    for (uint64_t i = (end - 1) / 8 + 1; i-- > start / 8;) acc = (acc << 8) | report[i];
    acc >>= start % 8;
    out = static_cast<uint32_t>(size == 32 ? acc : acc & ((uint64_t{1} << size) - 1));
    return true;
}

// An array value or a value usage read as a number: signed when the logical minimum
// is negative, otherwise unsigned.
int64_t Interpret(uint32_t raw, uint32_t size, int32_t logical_min) {
    if (logical_min >= 0) return raw;
    if (size >= 32) return static_cast<int32_t>(raw);
    const uint32_t sign = uint32_t{1} << (size - 1);
    return static_cast<int32_t>((raw ^ sign) - sign);
}

bool FitsInReport(uint32_t bit_offset, uint32_t bit_size, uint32_t count,
                  std::span<const uint8_t> report) {
    const uint64_t end = 8 + uint64_t{bit_offset} + uint64_t{bit_size} * count;
    return end <= static_cast<uint64_t>(report.size()) * 8;
}

// The array index a value selects, or -1 when it is outside the logical range.
int64_t ArrayIndex(uint32_t raw, uint32_t size, int32_t logical_min, int32_t logical_max) {
    const int64_t value = Interpret(raw, size, logical_min);
    if (value < logical_min || value > logical_max) return -1;
    return value - logical_min;
}

// Usage selected by one array value on `page`, or 0 when it selects none. Usage 0
// is never reported as on: it means "nothing" (the idle value of key and consumer
// arrays) and it ends the usage lists built from these results.
uint16_t ArrayUsage(const ReportField& f, uint32_t raw, uint16_t page) {
    const int64_t index = ArrayIndex(raw, f.bit_size, f.logical_min, f.logical_max);
    if (index < 0) return 0;
    // Entries are in ascending index order: find the last one starting at or before.
    auto it = std::upper_bound(
        f.usages.begin(), f.usages.end(), index,
        [](int64_t i, const UsageEntry& e) { return i < static_cast<int64_t>(e.first_index); });
    if (it == f.usages.begin()) return 0;
    --it;
    if (index >= static_cast<int64_t>(it->first_index) + it->count) return 0;
    if (it->usage_page != page) return 0;
    return static_cast<uint16_t>(it->usage_min + (index - it->first_index));
}

// Calls `emit` for each usage of `page` that is on in one button field, in report
// order; stops when `emit` returns false. The field must fit in the report.
template <typename Emit>
bool ForEachOnUsage(const ReportField& f, std::span<const uint8_t> report, uint16_t page,
                    Emit&& emit) {
    if (f.is_array) {
        if (f.bit_size > 32) return true;
        for (uint32_t i = 0; i < f.report_count; ++i) {
            uint32_t raw = 0;
            if (!ReadBits(report, f.bit_offset + uint64_t{i} * f.bit_size, f.bit_size, raw))
                return true;
            const uint16_t usage = ArrayUsage(f, raw, page);
            if (usage != 0 && !emit(usage)) return false;
        }
        return true;
    }
    for (const UsageEntry& e : f.usages) {
        if (e.usage_page != page) continue;
        const uint32_t span = static_cast<uint32_t>(e.usage_max) - e.usage_min + 1;
        for (uint32_t j = 0; j < e.count; ++j) {
            uint32_t bit = 0;
            if (!ReadBits(report, f.bit_offset + uint64_t{e.first_index + j} * f.bit_size,
                          f.bit_size, bit))
                return true;
            const auto usage = static_cast<uint16_t>(e.usage_min + std::min(j, span - 1));
            if (bit != 0 && usage != 0 && !emit(usage)) return false;
        }
    }
    return true;
}

}  // namespace

bool TopLevelCollection::HasReportId(ReportKind kind, uint8_t id) const {
    const auto& ids = report_ids_by_kind[KindIndex(kind)];
    return std::binary_search(ids.begin(), ids.end(), id);
}

bool ParseReportDescriptor(std::span<const uint8_t> bytes, ReportDescriptor& out,
                           std::string& error) {
    out = ReportDescriptor{};
    error.clear();
    Parser parser(bytes, out, error);
    if (parser.Run()) return true;
    out = ReportDescriptor{};
    return false;
}

HidStatus CapUsages(const HidCap& cap, std::span<const uint8_t> report,
                    std::vector<uint16_t>& usages) {
    usages.clear();
    if (report.empty() || report[0] != cap.report_id) return HidStatus::kIncompatibleReportId;
    if (!FitsInReport(cap.bit_offset, cap.bit_size, cap.report_count, report))
        return HidStatus::kInvalidReportLength;
    if (cap.bit_size > 32) return HidStatus::kNotValue;
    const uint32_t span = static_cast<uint32_t>(cap.usage_max) - cap.usage_min + 1;
    for (uint32_t i = 0; i < cap.report_count; ++i) {
        uint32_t raw = 0;
        if (!ReadBits(report, cap.bit_offset + uint64_t{i} * cap.bit_size, cap.bit_size, raw))
            return HidStatus::kInvalidReportLength;
        if (!cap.is_array) {
            const auto usage = static_cast<uint16_t>(cap.usage_min + std::min(i, span - 1));
            if (raw != 0 && usage != 0) usages.push_back(usage);
            continue;
        }
        const int64_t index = ArrayIndex(raw, cap.bit_size, cap.logical_min, cap.logical_max);
        if (index < cap.array_index || index >= int64_t{cap.array_index} + span) continue;
        const auto usage = static_cast<uint16_t>(cap.usage_min + (index - cap.array_index));
        if (usage != 0) usages.push_back(usage);
    }
    return HidStatus::kSuccess;
}

HidStatus GetUsages(const TopLevelCollection& tlc, ReportKind kind, uint16_t usage_page,
                    std::span<const uint8_t> report, std::vector<uint16_t>& usages,
                    size_t max_usages) {
    usages.clear();
    if (report.empty()) return HidStatus::kInvalidReportLength;
    bool page_seen = false;
    bool id_seen = false;
    HidStatus status = HidStatus::kSuccess;
    for (const ReportField& f : tlc.fields) {
        if (f.kind != kind || !f.is_button) continue;
        const bool on_page = std::any_of(f.usages.begin(), f.usages.end(),
                                         [&](const auto& e) { return e.usage_page == usage_page; });
        if (!on_page) continue;
        page_seen = true;
        if (f.report_id != report[0]) continue;
        id_seen = true;
        if (!FitsInReport(f.bit_offset, f.bit_size, f.report_count, report))
            return HidStatus::kInvalidReportLength;
        const bool go_on = ForEachOnUsage(f, report, usage_page, [&](uint16_t u) {
            if (usages.size() >= max_usages) {
                status = HidStatus::kBufferTooSmall;
                return false;
            }
            usages.push_back(u);
            return true;
        });
        if (!go_on) break;
    }
    if (!page_seen) return HidStatus::kUsageNotFound;
    if (!id_seen) return HidStatus::kIncompatibleReportId;
    return status;
}

namespace {

// Finds the value capability that carries `usage`, preferring one of the report's id.
HidStatus FindValueCap(const TopLevelCollection& tlc, ReportKind kind, uint16_t usage_page,
                       uint16_t usage, std::span<const uint8_t> report, const HidCap*& found) {
    found = nullptr;
    if (report.empty()) return HidStatus::kInvalidReportLength;
    bool other_id = false;
    for (const HidCap& cap : tlc.value_caps[KindIndex(kind)]) {
        if (cap.usage_page != usage_page || usage < cap.usage_min || usage > cap.usage_max)
            continue;
        if (cap.report_id != report[0]) {
            other_id = true;
            continue;
        }
        found = &cap;
        return HidStatus::kSuccess;
    }
    return other_id ? HidStatus::kIncompatibleReportId : HidStatus::kUsageNotFound;
}

HidStatus ReadValue(const HidCap& cap, uint16_t usage, std::span<const uint8_t> report,
                    uint32_t& value) {
    if (cap.bit_size > 32) return HidStatus::kNotValue;
    const uint32_t index = cap.is_range ? static_cast<uint32_t>(usage - cap.usage_min) : 0;
    if (index >= cap.report_count) return HidStatus::kUsageNotFound;
    if (!ReadBits(report, cap.bit_offset + uint64_t{index} * cap.bit_size, cap.bit_size, value))
        return HidStatus::kInvalidReportLength;
    return HidStatus::kSuccess;
}

}  // namespace

HidStatus GetUsageValue(const TopLevelCollection& tlc, ReportKind kind, uint16_t usage_page,
                        uint16_t usage, std::span<const uint8_t> report, uint32_t& value) {
    value = 0;
    const HidCap* cap = nullptr;
    const HidStatus found = FindValueCap(tlc, kind, usage_page, usage, report, cap);
    if (found != HidStatus::kSuccess) return found;
    return ReadValue(*cap, usage, report, value);
}

HidStatus GetScaledUsageValue(const TopLevelCollection& tlc, ReportKind kind, uint16_t usage_page,
                              uint16_t usage, std::span<const uint8_t> report, int32_t& value) {
    value = 0;
    const HidCap* cap = nullptr;
    HidStatus status = FindValueCap(tlc, kind, usage_page, usage, report, cap);
    if (status != HidStatus::kSuccess) return status;
    uint32_t raw = 0;
    status = ReadValue(*cap, usage, report, raw);
    if (status != HidStatus::kSuccess) return status;

    const int64_t lmin = cap->logical_min;
    const int64_t lmax = cap->logical_max;
    if (lmin >= lmax) return HidStatus::kBadLogPhyValues;
    int64_t pmin = cap->physical_min;
    int64_t pmax = cap->physical_max;
    if (pmin == 0 && pmax == 0) {  // no physical range given: it equals the logical one
        pmin = lmin;
        pmax = lmax;
    }
    if (pmin == pmax) return HidStatus::kBadLogPhyValues;
    const int64_t v = Interpret(raw, cap->bit_size, cap->logical_min);
    if (v < lmin || v > lmax) return HidStatus::kValueOutOfRange;
    // |pmax - pmin| and |v - lmin| are below 2^33, so the product fits in 64 bits.
    const int64_t scaled = pmin + (v - lmin) * (pmax - pmin) / (lmax - lmin);
    value = static_cast<int32_t>(std::clamp<int64_t>(scaled, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
    return HidStatus::kSuccess;
}

size_t MaxUsageListLength(const TopLevelCollection& tlc, ReportKind kind, uint16_t usage_page) {
    size_t total = 0;
    for (const ReportField& f : tlc.fields) {
        if (f.kind != kind || !f.is_button) continue;
        if (f.is_array) {
            const bool on_page = std::any_of(f.usages.begin(), f.usages.end(), [&](const auto& e) {
                return e.usage_page == usage_page;
            });
            if (on_page) total += f.report_count;
            continue;
        }
        for (const UsageEntry& e : f.usages)
            if (e.usage_page == usage_page) total += e.count;
    }
    return total;
}

}  // namespace dz::hid
