// Declarations of every export, for calling them the way the client does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/host_command.h"
#include "player/command_table.h"

extern "C" void ZEL_STDCALL LoadDll(void* record);

#define ZEL_DECLARE_PLAYER_COMMAND(name, id, flush) ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_##name);
ZEL_PLAYER_COMMANDS(ZEL_DECLARE_PLAYER_COMMAND)
#undef ZEL_DECLARE_PLAYER_COMMAND

ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_track_length);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_track_play_pos);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_playlist_tracks);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_playlist_pos);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_track_samplerate);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_track_bitrate);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_track_channels);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_track_name);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_start);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_track_file);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_id3_title);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_id3_artist);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_id3_album);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_id3_year);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_id3_comment);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_id3_genre);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_tag_title);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_tag_artist);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_tag_album);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_tag_year);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_tag_comment);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_tag_genre);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_play_state);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_volume);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_set_volume);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_seek);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_jump);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_shuffle);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_repeat);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_set_shuffle);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_set_repeat);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_entry_file);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_entry_title);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_enqueue);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_play_file);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_find);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_insert_next);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_remove);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_rating);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_set_rating);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_stop_after_state);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_set_stop_after);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_next_entry);
ZEL_HOST_COMMAND_SIGNATURE(zel_winamp_player_version);

namespace zel::testing {

using Command = int ZEL_STDCALL (*)(void*, void*, char*, char*, int, int);

// Calls a command as the client does, with a 900-byte buffer holding `parameters`, and
// returns what the buffer holds afterwards up to its first zero byte.
inline std::string Call(Command command, const char* parameters = "abc", int* result = nullptr) {
    char data[zel::kDataCapacity] = {};
    std::snprintf(data, sizeof data, "%s", parameters);
    const int r = command(nullptr, nullptr, data, nullptr, 0, 0);
    if (result != nullptr) *result = r;
    return std::string(data);
}

// The versions clients report: today's (7.x, answers in UTF-8) and mIRC 6 (ANSI).
constexpr std::uint32_t kClientVersion7 = (69u << 16) | 7u;   // 7.69
constexpr std::uint32_t kClientVersion6 = (35u << 16) | 6u;   // 6.35

// LoadDll as a client of that version calls it, with the record of this build's layout.
inline void LoadAsClient(std::uint32_t version) {
    unsigned char record[32] = {};
    std::memcpy(record, &version, sizeof version);
    record[sizeof(void*) == 4 ? 8 : 16] = 1;
    LoadDll(record);
}

}  // namespace zel::testing
