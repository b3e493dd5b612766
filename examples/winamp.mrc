; winamp.mrc - control Winamp from mIRC and tell the channel what is playing.
;
; Install: put zel.winamp.dll in the same folder as this script, then load the script
; with  /load -rs winamp.mrc  (or through the Scripts Editor, Remote tab, File > Load).
;
;   /np                   say the now-playing line in the active channel or query
;                         ("[paused]" after a paused track, "nothing playing" when stopped)
;   /np auto on|off       announce each new track in this channel while playing
;   /wa <command>         play, pause, stop, next, prev, volup, voldown, start
;                         (also: /wa volume up, /wa volume down)
;   /wa vol 50            set the volume (0-100), or /wa vol +10, /wa vol -10
;   /wa seek 1:30         seek to a time (95, 1:35, 0:01:35), or +0:10 / -0:10
;   /wa jump 5            play playlist entry 5
;   /wa shuffle on|off    /wa repeat on|off
;   /wa add <path or URL> add a file (full path) or a stream to the playlist
;   /wa playfile <path>   add it and play it
;   $wa.np                the now-playing line itself, for your own aliases
;   $wa.title $wa.artist $wa.album $wa.year $wa.comment $wa.genre
;                         the current track's tag, or n/a without one
;   $wa.title(N)          entry N's title as the playlist shows it ("Artist - Title")
;   $wa.entry(N)          entry N's file; $wa.entry is the current one's
;   $wa.file              the current track's file, or NADA past the playlist's end
;   $wa.caption           the title the player shows in its caption
;   $wa.state             playing, paused, stopped, or not running
;   $wa.volume            0 to 100
;   $wa.shuffle $wa.repeat  on or off
;   $wa.pos $wa.length    play position and track length, as 00:01:05
;   $wa.track $wa.tracks  position in the playlist (from 1) and its size
;   $wa.samplerate $wa.bitrate $wa.channels
;
; Answers that begin "ERR " say what was wrong with what was asked; /wa shows them to you
; and never sends them to a channel.
;
; The DLL asks to be unloaded after every call, so each identifier is one fresh call;
; nothing is kept between calls.

; The DLL beside this script.
alias -l wa.dll { return $scriptdir $+ zel.winamp.dll }

; One call of zel_winamp_<name>, with the rest as its argument. Commands without an
; answer hand back the data as it was passed, so an empty data makes them return nothing.
alias -l wa.call { return $dll($wa.dll, zel_winamp_ $+ $1, $2-) }

; A call whose "ERR ..." answer is shown to the user as an error; $null then.
alias -l wa.try {
  var %answer = $wa.call($1, $2-)
  if (ERR * iswm %answer) {
    echo -ac info * /wa $1 $+ : $gettok(%answer, 2-, 32)
    return
  }
  return %answer
}

; The queries, one identifier each.
alias wa.title {
  if ($1 != $null) return $wa.call(entry_title, $1)
  return $wa.call(tag_title)
}
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
alias wa.state { return $wa.call(play_state) }
alias wa.volume { return $wa.call(volume) }
alias wa.shuffle { return $wa.call(shuffle) }
alias wa.repeat { return $wa.call(repeat) }
alias wa.entry { return $wa.call(entry_file, $1) }

; 00:03:25 reads better as 03:25 when the hours are zero.
alias -l wa.clock {
  if ($gettok($1, 1, 58) == 00) return $gettok($1, 2-, 58)
  return $1
}

; "Artist - Title (01:05/03:25) 128kbps", "[paused]" after a paused one. Without a tag
; (the DLL answers n/a) the title is the playlist's, as the player shows it.
alias wa.np {
  var %state = $wa.state
  if (%state == not running) return Winamp is not running
  if (%state == stopped) || ($wa.tracks == 0) return nothing playing
  var %artist = $wa.artist
  var %title = $wa.title
  var %song = %artist - %title
  if (%artist == n/a) || (%title == n/a) var %song = $wa.call(entry_title)
  var %line = %song ( $+ $wa.clock($wa.pos) $+ / $+ $wa.clock($wa.length) $+ ) $wa.bitrate $+ kbps
  if (%state == paused) var %line = %line [paused]
  return %line
}

; /np says the line; /np auto on|off announces each new track where it was turned on.
alias np {
  if ($1 == auto) {
    if ($2 == on) && ($active ischan) {
      set %wa.auto.cid $cid
      set %wa.auto.chan $active
      set %wa.auto.last $wa.entry
      .timerwa.auto 0 3 wa.auto.check
      echo -a * now-playing announcements on in $active
    }
    elseif ($2 == off) {
      .timerwa.auto off
      unset %wa.auto.*
      echo -a * now-playing announcements off
    }
    else echo -a usage: /np auto on (in a channel) or /np auto off
    return
  }
  var %line = np: $wa.np
  if ($active ischan) || ($query($active)) msg $active %line
  else echo -a %line
}

; The timer's check: one line per change of the current entry's file, while playing.
alias -l wa.auto.check {
  var %file = $wa.entry
  if (%file == %wa.auto.last) return
  set %wa.auto.last %file
  if ($wa.state != playing) return
  scid %wa.auto.cid
  if ($me ison %wa.auto.chan) msg %wa.auto.chan np: $wa.np
  scid -r
}

; /wa <command>: one player command, or a control with a value.
alias wa {
  if ($1 == vol) && ($2 != $null) { wa.set set_volume Volume: $2 | return }
  if ($1 == seek) { wa.set seek Position: $2 | return }
  if ($1 == jump) { wa.set jump Playing_entry $2 | return }
  if ($1 == shuffle) || ($1 == repeat) {
    if ($2 == $null) echo -a * $1 is $wa.call($1)
    else wa.set set_ $+ $1 $1 $+ : $2
    return
  }
  if ($1 == add) { wa.set enqueue Added_as_entry $2- | return }
  if ($1 == playfile) { wa.set play_file Playing_entry $2- | return }
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
    echo -a usage: /wa play, pause, stop, next, prev, volup, voldown, start,
    echo -a $chr(160) vol N|+N|-N, seek TIME, jump N, shuffle on|off, repeat on|off, add PATH, playfile PATH
    return
  }
  noop $wa.call(%do)
}

; /wa's controls: calls zel_winamp_<$1> with the value ($3-) and shows "<label> <answer>"
; ($2, "_" for blanks); an error was shown already.
alias -l wa.set {
  var %answer = $wa.try($1, $3-)
  if (%answer != $null) echo -a * $replace($2, _, $chr(32)) %answer
}
