#include "tags/genres.h"

namespace zel {
namespace {

// Genre names by number, written without blanks as the player's era spelled them
// (misspellings such as "Reagge" and "Psychadelic" included: scripts compare these).
constexpr const char* kGenreNames[kGenreCount] = {
    "Blues", "ClassicRock", "Country", "Dance", "Disco", "Funk", "Grunge", "HipHop", "Jazz",
    "Metal",
    "NewAge", "Oldies", "Other", "Pop", "RnB", "Rap", "Reagge", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "DeathMetal", "Pranks", "Soundtrack", "EuroTechno", "Ambient",
    "TripHop", "Vocal", "JazzFunk",
    "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "SoundClip",
    "Gospel", "Noise",
    "AlternativeRock", "Bass", "Soul", "Punk", "Space", "Meditative", "InstrumentalPop",
    "InstrumentalRock", "Ethnic", "Gothic",
    "Darkwave", "TechnoIndustrial", "Electronic", "PopFolk", "Eurodance", "Dream",
    "SouthernRock", "Comedy", "Cult", "Gangsta",
    "Top40", "ChristianRap", "PopFunk", "Jungle", "NativeUS", "Cabaret", "NewWave",
    "Psychadelic", "Rave", "Showtunes",
    "Trailer", "LoFi", "Tribal", "AcidPunk", "AcidJazz", "Polka", "Retro", "Musical",
    "RocknRoll", "HardRock",
    "Folk", "FolkRock", "NationalFolk", "Swing", "FastFusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass",
    "Avantgarde", "GothicRock", "ProgressiveRock", "PsychedelicRock", "SymphonicRock",
    "SlowRock", "BigBand", "Chorus", "EasyListening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "ChamberMusic", "Sonata", "Symphony", "BootyBass",
    "Primus", "PornGroove",
    "Satire", "SlowJam", "Club", "Tango", "Samba", "Folklore", "Ballad", "PowerBallad",
    "RhytmicSoul", "Freestyle",
    "Duet", "PunkRock", "DrumSolo", "Acapella", "EuroHouse", "DanceHall", "Goa", "DrumnBass",
    "ClubHouse", "Hardcore",
    "Terror", "Indie", "BritPop", "Negerpunk", "PolskPunk", "Beat", "ChristianGangstaRap",
    "HeavyMetal", "BlackMetal", "Crossover",
    "ContemporaryChristian", "ChristianRock", "Merengue", "Salsa", "TrashMetal", "Anime", "JPop",
    "SynthPop",
};

}  // namespace

const char* GenreName(unsigned char genre) {
    return genre < kGenreCount ? kGenreNames[genre] : nullptr;
}

}  // namespace zel
