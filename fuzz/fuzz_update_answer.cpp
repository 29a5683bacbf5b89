// Feeds arbitrary update-server answers to the answer reader, with the byte at the front
// choosing the item's version and kind, and arbitrary headers and names to the readers of
// download answers: none may crash, throw or leave a result outside its values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update/http_client.h"
#include "update/update_check.h"
#include "update/update_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int version = data[0] << 8 | data[1];
    const bool hex = (data[2] & 1) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

    const dz::update::UpdateInfo info = dz::update::ParseUpdateAnswer(text, version, hex);
    if (info.error.empty() && info.status != dz::update::kStatusNewer &&
        info.status != dz::update::kStatusUpToDate)
        std::abort();
    if (!info.error.empty() && info.name != dz::update::kNoLinkServer) std::abort();

    dz::update::UpdateItem item;
    item.kind = hex ? 1 : 0;
    item.version = version;
    const dz::update::UpdateRow row = dz::update::RowFromInfo(item, info);
    if (row.file_name.empty() || row.file_name.find('/') != std::string::npos ||
        row.file_name.front() == '.')
        std::abort();

    int64_t start = 0, total = 0;
    if (dz::update::ParseContentRange(text, start, total) &&
        (start < 0 || (total >= 0 && total <= start)))
        std::abort();
    const std::string name = dz::update::DownloadFileName(text, text);
    if (name.empty() || name.find('/') != std::string::npos || name.size() > 96 + 9) std::abort();
    return 0;
}
