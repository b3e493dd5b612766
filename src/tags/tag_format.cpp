#include "tags/tag_format.h"

#include "tags/byte_order.h"
#include "tags/mp4_tag.h"
#include "tags/ogg_tag.h"

namespace zel {

TagFormat DetectTagFormat(const TagSource& source, std::int64_t afterId3v2) {
    unsigned char marker[4];
    if (ReadAt(source, afterId3v2, marker, sizeof marker) && IsFourCc(marker, "fLaC")) return TagFormat::Flac;
    if (ReadAt(source, 0, marker, sizeof marker) && IsFourCc(marker, "OggS")) {
        return DetectOggCodec(source) != OggCodec::Other ? TagFormat::Ogg : TagFormat::Other;
    }
    return IsMp4(source) ? TagFormat::Mp4 : TagFormat::Other;
}

}  // namespace zel
