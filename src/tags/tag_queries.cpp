// The six tag queries: one field of the current track's ID3v1 tag, or "n/a".
#include "host/host_command.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "text/answer_text.h"

namespace zel {
namespace {

constexpr char kNoTag[] = "n/a";

int AnswerTextField(char* data, Id3v1Field field) {
    unsigned char block[kId3v1Size];
    const unsigned char* start = nullptr;
    const std::size_t length = ReadId3v1Block(block) ? TrimmedField(block, field, &start) : 0;
    if (length == 0) {
        WriteText(data, kNoTag);
    } else {
        WriteAnsiAnswer(data, reinterpret_cast<const char*>(start), length);
    }
    return kResultAnswer;
}

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_id3_title) { return AnswerTextField(data, kId3v1Title); }
ZEL_HOST_COMMAND(zel_winamp_id3_artist) { return AnswerTextField(data, kId3v1Artist); }
ZEL_HOST_COMMAND(zel_winamp_id3_album) { return AnswerTextField(data, kId3v1Album); }
ZEL_HOST_COMMAND(zel_winamp_id3_year) { return AnswerTextField(data, kId3v1Year); }
ZEL_HOST_COMMAND(zel_winamp_id3_comment) { return AnswerTextField(data, kId3v1Comment); }

ZEL_HOST_COMMAND(zel_winamp_id3_genre) {
    unsigned char block[kId3v1Size];
    // Numbers past the table (148 to 255) have no name and answer like a missing tag.
    const char* name = ReadId3v1Block(block) ? GenreName(block[kId3v1GenreOffset]) : nullptr;
    WriteText(data, name != nullptr ? name : kNoTag);
    return kResultAnswer;
}
