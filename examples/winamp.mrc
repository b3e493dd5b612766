; winamp.mrc - control Winamp from mIRC and tell the channel what is playing.
;
; Install: put zel.winamp.dll in the same folder as this script, then load the script
; with  /load -rs winamp.mrc  (or through the Scripts Editor, Remote tab, File > Load).
;
;   /np                   say the now-playing line in the active channel or query
;                         ("[paused]" after a paused track, "nothing playing" when stopped,
;                         the track's rating as stars when it has one)
;   /np auto on|off       announce each new track in this channel while playing
;   /wa <command>         play, pause, stop, next, prev, volup, voldown, start
;                         (also: /wa volume up, /wa volume down)
;   /wa vol 50            set the volume (0-100), or /wa vol +10, /wa vol -10
;   /wa seek 1:30         seek to a time (95, 1:35, 0:01:35), or +0:10 / -0:10
;   /wa jump 5            play playlist entry 5
;   /wa shuffle on|off    /wa repeat on|off
;   /wa add <path or URL> add a file (full path) or a stream to the playlist
;   /wa playfile <path>   add it and play it
;   /wa addnext <path, URL or entry number>
;                         insert it right after the current track, so it plays next
;   /wa remove 5          delete playlist entry 5
;   /wa rate 4            rate the current track (0-5); /wa rate shows its rating
;   /wa stopafter on|off  stop after the current track, or not; /wa stopafter shows it
;   /wa upnext            show the entry that plays next (/wa next skips to it)
;   /wa requests on|off   request mode in this channel (below)
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
;   $wa.rating            the current track's rating, 0 to 5 (n/a before Winamp 5.04)
;   $wa.stopafter         on or off (n/a before Winamp 5.58)
;   $wa.next              the entry number that plays next (n/a when Winamp cannot tell)
;   $wa.find(words)       the entries holding every word: numbers, at most 30, or none
;   $wa.version           the player's version, e.g. 5.9.2 Build 10042
;
; Request mode: after /wa requests on in a channel, anyone there may say
;   !np                   the now-playing line
;   !find <words>         up to five entries whose title or file holds every word,
;                         as "57. Artist - Title"
;   !request <N>          entry N (a number from !find) is queued to play next
;   !next                 what plays next
; Each person (by address) gets one command in 10 seconds, and all channels together
; get five lines in 10 seconds; anything past that is dropped without an answer. The
; channel's text is only ever a value here: it is never evaluated again, never run as a
; command, and !request takes a plain number, so no one else's text becomes a path.
;
; Answers that begin "ERR " say what was wrong with what was asked; /wa shows them to you
; and never sends them to a channel. A command from the channel that fails gets a short
; fixed line there; the DLL's own answer is shown to you alone.
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
alias wa.rating { return $wa.call(rating) }
alias wa.stopafter { return $wa.call(stop_after_state) }
alias wa.next { return $wa.call(next_entry) }
alias wa.find { return $wa.call(find, $1) }
alias wa.version { return $wa.call(player_version) }

; Entry N by name: its playlist title, else its file's name, else "?".
alias -l wa.name {
  var -n %name = $wa.call(entry_title, $1)
  if (%name != n/a) && (%name != $null) && (ERR * !iswm %name) return %name
  var -n %name = $nopath($wa.call(entry_file, $1))
  if (%name != NADA) && (%name != $null) && (ERR * !iswm %name) return %name
  return ?
}

; $1 cut to at most $2 bytes of UTF-8 (with "..." when cut), to keep a line within
; what a server relays.
alias -l wa.short {
  var -n %text = $1
  if ($len($utfencode(%text)) <= $2) return %text
  var -n %text = $left(%text, $2)
  while ($len($utfencode(%text)) > $calc($2 - 3)) var -n %text = $left(%text, -1)
  return %text $+ ...
}

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
  ; -n: a title such as "5 - 3" is text, not a sum.
  var -n %song = %artist - %title
  if (%artist == n/a) || (%title == n/a) var -n %song = $wa.call(entry_title)
  var -n %line = %song ( $+ $wa.clock($wa.pos) $+ / $+ $wa.clock($wa.length) $+ ) $wa.bitrate $+ kbps
  ; The rating as stars (plain * before mIRC 7); none for 0 or n/a.
  var %rating = $wa.rating
  if (%rating isnum 1-5) var -n %line = %line $str($iif($version >= 7, $chr(9733), *), %rating)
  if (%state == paused) var -n %line = %line [paused]
  return %line
}

; What plays next: "58. Artist - Title", noting when the player stops after this track;
; "unknown" where the player cannot tell (before Winamp 5.61, or nothing left).
alias -l wa.upnext {
  var %next = $wa.next
  if (!$regex(%next, /^[0-9]+$/)) {
    if ($wa.state == not running) return Winamp is not running
    return unknown
  }
  var -n %line = %next $+ . $wa.short($wa.name(%next), 120)
  if ($wa.stopafter == on) var -n %line = %line (but Winamp stops after the current track)
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
  if ($1 == addnext) { wa.set insert_next Added_after_the_current_track_as_entry $2- | return }
  if ($1 == remove) { wa.set remove Entries_left: $2 | return }
  if ($1 == rate) {
    if ($2 == $null) echo -a * rating: $wa.rating
    else wa.set set_rating Rating: $2
    return
  }
  if ($1 == stopafter) {
    if ($2 == $null) echo -a * stop after the current track: $wa.stopafter
    else wa.set set_stop_after Stop_after_the_current_track: $2
    return
  }
  if ($1 == upnext) { echo -a * next: $wa.upnext | return }
  if ($1 == requests) { wa.requests $2 | return }
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
    echo -a $chr(160) vol N|+N|-N, seek TIME, jump N, shuffle on|off, repeat on|off, add PATH, playfile PATH,
    echo -a $chr(160) addnext PATH|N, remove N, rate 0-5, stopafter on|off, upnext, requests on|off
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

; Request mode. The channels where it is on, as items "c.<connection id><channel>" of
; the table wa.requests; the rate limits in the table wa.req. Both live in memory only:
; request mode ends when mIRC does.
alias -l wa.requests {
  if ($active !ischan) { echo -a usage: /wa requests on|off (in a channel) | return }
  var %key = c. $+ $cid $+ $active
  if ($1 == on) {
    hadd -m wa.requests %key 1
    echo -a * requests on in $active $+ : !np, !find <words>, !request <N>, !next
  }
  elseif ($1 == off) {
    if ($hget(wa.requests, %key)) hdel wa.requests %key
    echo -a * requests off in $active
  }
  else echo -a * requests are $iif($hget(wa.requests, %key), on, off) in $active (/wa requests on|off)
}

; The budget of all request channels together: five lines in any 10 seconds. $true while
; a line may go out; $wa.req.room(take) also counts one. Times of the lines sent are kept
; as $ticks, at most five; a time from the future (the counter wrapped) counts as old.
alias -l wa.req.room {
  var %now = $ticks
  var %times = $hget(wa.req, lines)
  var %kept
  var %i = 1
  while (%i <= $numtok(%times, 32)) {
    var %t = $gettok(%times, %i, 32)
    var %age = $calc(%now - %t)
    if (%age >= 0) && (%age < 10000) var %kept = $instok(%kept, %t, $calc($numtok(%kept, 32) + 1), 32)
    inc %i
  }
  if ($numtok(%kept, 32) >= 5) return $false
  if ($1 == take) hadd -m wa.req lines $instok(%kept, %now, $calc($numtok(%kept, 32) + 1), 32)
  return $true
}

; One line to channel $1 if the budget allows, else nothing. $2- is built by this script
; and always starts with a fixed word ("np:", "find:" ...).
alias -l wa.req.say {
  if ($wa.req.room(take)) msg $1 $2-
}

; A command from channel $1 failed: the channel gets a fixed line naming the command
; ($2), you get the DLL's answer ($3-) in the channel's window.
alias -l wa.req.fail {
  echo -c info $1 * requests: $2 for $nick $+ : $3-
  if ($3- == ERR player not running) wa.req.say $1 $2 $+ : Winamp is not running
  else wa.req.say $1 $2 $+ : that did not work
}

; A line in a channel. Only !np, !find, !request and !next in a channel with request
; mode count; $1- is the channel's text and is only ever used as a value.
on *:TEXT:!*:#:{
  if (!$hget(wa.requests, c. $+ $cid $+ $chan)) return
  var -n %command = $strip($1)
  if (!$istok(!np !find !request !next, %command, 32)) return
  ; One command per person (by address, on this connection) in 10 seconds; and none
  ; while the budget is spent, so nothing is done that could not be answered.
  var %who = u. $+ $cid $+ . $+ $iif($site != $null, $site, $nick)
  if ($hget(wa.req, %who)) || (!$wa.req.room) return
  hadd -mu10 wa.req %who 1
  if (%command == !np) wa.req.say $chan np: $wa.np
  elseif (%command == !find) wa.req.find $chan $2-
  elseif (%command == !request) wa.req.request $chan $2-
  else wa.req.say $chan next: $wa.upnext
}

; !find: $1 the channel, $2- the words. The answer's numbers (checked to be numbers, so
; no word of the question can come back) name up to five entries, packed into lines of
; at most 330 bytes: "find: 57. Artist - Title | 58. Artist - Other (3 more)".
alias -l wa.req.find {
  var -n %words = $left($strip($2-), 200)
  if (%words == $null) { wa.req.say $1 find: say !find and a few words of the title | return }
  var %answer = $wa.call(find, %words)
  if (%answer == none) { wa.req.say $1 find: nothing matches | return }
  if (!$regex(%answer, /^[ 0-9]+$/)) || ($numtok(%answer, 32) == 0) { wa.req.fail $1 find %answer | return }
  var %count = $numtok(%answer, 32)
  var %i = 1
  var %line
  while (%i <= 5) && (%i <= %count) {
    var %n = $gettok(%answer, %i, 32)
    var -n %item = %n $+ . $wa.short($wa.name(%n), 100)
    if (%i == 1) var -n %line = find: %item
    elseif ($len($utfencode(%line $chr(124) %item)) > 330) { wa.req.say $1 %line | var -n %line = find: %item }
    else var -n %line = %line $chr(124) %item
    inc %i
  }
  if (%count > 5) {
    var %more = $calc(%count - 5)
    ; The DLL names at most 30: then there may be more still.
    if (%count >= 30) var %more = %more $+ +
    var -n %line = %line ( $+ %more more)
  }
  wa.req.say $1 %line
}

; !request: $1 the channel, $2- what followed. Only a plain entry number (1 to 9 digits,
; nothing else) is passed on, so the text can never name a file or an address.
alias -l wa.req.request {
  var -n %n = $strip($2-)
  if (!$regex(%n, /^[1-9][0-9]*$/)) || ($len(%n) > 9) {
    wa.req.say $1 request: say !request and an entry number from !find
    return
  }
  var %answer = $wa.call(insert_next, %n)
  if (!$regex(%answer, /^[0-9]+$/)) { wa.req.fail $1 request %answer | return }
  var -n %line = request: %answer $+ . $wa.short($wa.name(%answer), 120)
  if ($wa.next == %answer) var -n %line = %line plays next
  elseif ($wa.shuffle == on) var -n %line = %line is queued (shuffle is on: it may not be next)
  else var -n %line = %line is queued after the current track
  wa.req.say $1 %line
}

on *:UNLOAD:{
  if ($hget(wa.requests)) hfree wa.requests
  if ($hget(wa.req)) hfree wa.req
}
