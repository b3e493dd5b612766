// The six tag_* queries: one field from the best tag the current track's file has.
//
// The file's kind is told from its first bytes, never its name: FLAC (also after an ID3v2
// tag), Ogg Vorbis or Opus, MP4; any other file answers from its ID3v2 tag. Where the
// best tag is missing or lacks the field, an APEv2 tag at the end of the file answers,
// then the ID3v1 tag as the id3_* queries do, "n/a" included.
//
// Every reader hands over the field's first value as UTF-8; the trimming, the genre's
// name and the conversion to the client's encoding happen here, once for all of them.
#include "host/host_command.h"
#include "platform/handles.h"
#include "track/current_track.h"
#include "tags/field_text.h"
#include "tags/genre_text.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/ape_tag.h"
#include "tags/flac_tag.h"
#include "tags/id3v2.h"
#include "tags/mp4_tag.h"
#include "tags/ogg_tag.h"
#include "tags/tag_format.h"
#include "text/answer_text.h"

namespace zel {
namespace {

constexpr char kNoTag[] = "n/a";

constexpr Id3v1Field kId3v1Fields[] = {kId3v1Title, kId3v1Artist, kId3v1Album, kId3v1Year,
                                       kId3v1Comment};

// The field from the tag the file's kind carries.
void ReadFormatTag(const TagSource& source, TagField field, FieldText& text) {
    const std::int64_t afterId3v2 = Id3v2TagSize(source);
    switch (DetectTagFormat(source, afterId3v2)) {
        case TagFormat::Flac: ReadFlacField(source, afterId3v2, field, text); break;
        case TagFormat::Ogg: ReadOggField(source, field, text); break;
        case TagFormat::Mp4: ReadMp4Field(source, field, text); break;
        case TagFormat::Other: ReadId3v2Field(source, field, text); break;
    }
}

// A reader's value, trimmed at its end and with a genre named; false when empty.
bool Usable(TagField field, FieldText& text) {
    TrimFieldEnd(text);
    if (field == TagField::Genre && text.length != 0) NormalizeGenre(text);
    return text.length != 0;
}

// The field from the file's best tag, else from its APEv2 tag; empty when neither has it.
void ReadBestField(const TagSource& source, TagField field, FieldText& text) {
    ReadFormatTag(source, field, text);
    if (Usable(field, text)) return;
    ReadApeField(source, field, text);  // starts the text afresh
    Usable(field, text);                // trims it; empty means neither tag has it
}

// The ID3v1 answer for a field, exactly as the id3_* queries give it.
void AnswerId3v1Field(char* data, const TagSource& source, TagField field) {
    unsigned char block[kId3v1Size];
    if (!ReadId3v1Block(source, block)) {
        WriteText(data, kNoTag);
    } else if (field == TagField::Genre) {
        const char* name = GenreName(block[kId3v1GenreOffset]);
        WriteText(data, name != nullptr ? name : kNoTag);
    } else {
        const unsigned char* start = nullptr;
        const std::size_t length =
            TrimmedField(block, kId3v1Fields[static_cast<int>(field)], &start);
        if (length == 0) {
            WriteText(data, kNoTag);
        } else {
            WriteAnsiAnswer(data, reinterpret_cast<const char*>(start), length);
        }
    }
}

int AnswerBestField(char* data, TagField field) {
    std::int64_t size = 0;
    platform::ScopedFile file(OpenCurrentTrack(&size));
    if (!file) {
        WriteText(data, kNoTag);
        return kResultAnswer;
    }
    const TagSource source = FileTagSource(file.get(), size);
    FieldText text;
    ReadBestField(source, field, text);
    if (text.length != 0) {
        WriteUtf8Answer(data, text.bytes, text.length);
    } else {
        AnswerId3v1Field(data, source, field);
    }
    return kResultAnswer;
}

}  // namespace
}  // namespace zel

using zel::AnswerBestField;
using zel::TagField;

ZEL_HOST_COMMAND(zel_winamp_tag_title) { return AnswerBestField(data, TagField::Title); }
ZEL_HOST_COMMAND(zel_winamp_tag_artist) { return AnswerBestField(data, TagField::Artist); }
ZEL_HOST_COMMAND(zel_winamp_tag_album) { return AnswerBestField(data, TagField::Album); }
ZEL_HOST_COMMAND(zel_winamp_tag_year) { return AnswerBestField(data, TagField::Year); }
ZEL_HOST_COMMAND(zel_winamp_tag_comment) { return AnswerBestField(data, TagField::Comment); }
ZEL_HOST_COMMAND(zel_winamp_tag_genre) { return AnswerBestField(data, TagField::Genre); }
