; winamp.mrc - control Winamp from mIRC and tell the channel what is playing.
;
; Install: put zel.winamp.dll in the same folder as this script, then load the script
; with  /load -rs winamp.mrc  (or through the Scripts Editor, Remote tab, File > Load).
;
;   /np                   say the now-playing line in the active channel or query
;   /wa <command>         play, pause, stop, next, prev, volup, voldown, start
;                         (also: /wa volume up, /wa volume down)
;   $wa.np                the now-playing line itself, for your own aliases
;   $wa.title $wa.artist $wa.album $wa.year $wa.comment $wa.genre
;                         the ID3v1 tag of the current track, or n/a without one
;   $wa.file              the current track's file, or NADA past the playlist's end
;   $wa.caption           the title the player shows in its caption
;   $wa.pos $wa.length    play position and track length, as 00:01:05
;   $wa.track $wa.tracks  position in the playlist (from 1) and its size
;   $wa.samplerate $wa.bitrate $wa.channels
;
; The DLL asks to be unloaded after every call, so each identifier is one fresh call;
; nothing is kept between calls.

; The DLL beside this script.
alias -l wa.dll { return $scriptdir $+ zel.winamp.dll }

; One call of zel_winamp_<name>. Commands without an answer hand back the data as it
; was passed, so an empty data makes them return nothing.
alias -l wa.call { return $dll($wa.dll, zel_winamp_ $+ $1, $null) }

; The queries, one identifier each.
alias wa.title { return $wa.call(tag_title) }
alias wa.artist { return $wa.call(tag_artist) }
alias wa.album { return $wa.call(tag_album) }
alias wa.year { return $wa.call(tag_year) }
alias wa.comment { return $wa.call(tag_comment) }
alias wa.genre { return $wa.call(tag_genre) }
alias wa.file { return $wa.call(track_file) }
alias wa.caption { return $wa.call(track_name) }
alias wa.pos { return $wa.call(track_play_pos) }
alias wa.length { return $wa.call(track_length) }
alias wa.track { return $wa.call(playlist_pos) }
alias wa.tracks { return $wa.call(playlist_tracks) }
alias wa.samplerate { return $wa.call(track_samplerate) }
alias wa.bitrate { return $wa.call(track_bitrate) }
alias wa.channels { return $wa.call(track_channels) }

; 00:03:25 reads better as 03:25 when the hours are zero.
alias -l wa.clock {
  if ($gettok($1, 1, 58) == 00) return $gettok($1, 2-, 58)
  return $1
}

; The caption's title without the playlist number in front ("2. Artist - Title").
alias -l wa.caption.title { return $regsubex($wa.caption, /^\d+\.\s+|\s+$/g, ) }

; "Artist - Title (01:05/03:25) 128kbps". Without a tag (the DLL answers n/a) the
; title comes from the player's caption instead.
alias wa.np {
  if ($wa.tracks == 0) return Winamp is not playing anything
  var %artist = $wa.artist
  var %title = $wa.title
  var %song = %artist - %title
  if (%artist == n/a) || (%title == n/a) var %song = $wa.caption.title
  return %song ( $+ $wa.clock($wa.pos) $+ / $+ $wa.clock($wa.length) $+ ) $wa.bitrate $+ kbps
}

alias np {
  var %line = np: $wa.np
  if ($active ischan) || ($query($active)) msg $active %line
  else echo -a %line
}

; /wa <command>: one player command, no answer.
alias wa {
  var %do
  if ($1 == play) %do = play
  elseif ($1 == pause) %do = pause
  elseif ($1 == stop) %do = stop
  elseif ($1 == next) %do = next_track
  elseif ($1 == prev) %do = prev_track
  elseif ($1 == volup) || ($1-2 == volume up) %do = inc_volume
  elseif ($1 == voldown) || ($1-2 == volume down) %do = dec_volume
  elseif ($1 == start) %do = start
  if (%do == $null) {
    echo -a usage: /wa play, pause, stop, next, prev, volup, voldown or start
    return
  }
  noop $wa.call(%do)
}
