#pragma once
// Sound through a test's private server: `samples` (mono float at `rate`) played into
// `sink` while `source` is recorded, until the sound has come and gone (a quarter second
// of silence after it), at most six seconds. Answers the recording's stretch from its
// first to its last sample that is not silence; nothing (and why, on stderr) when nothing
// was heard. With `in_advance` the whole sound is in the server before it plays, so that a
// busy machine cannot put a gap into it; the sink then plays it in blocks of half its
// length. Without, it is played with 40 ms in the server, as a microphone delivers sound.
#include <optional>
#include <vector>

namespace dz::test {

std::optional<std::vector<float>> PlayAndRecord(const char* sink, const char* source,
                                                const std::vector<float>& samples, int rate,
                                                bool in_advance = true);

}  // namespace dz::test
