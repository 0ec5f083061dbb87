"""Reads speech-dispatcher's own log (LogLevel 5) as it grows: which client queued what, at which
priority, and when the daemon started it, stopped it or never played it.

A client's "SPEECH OUTPUT" says only what it sent; this log says what was heard. Times are the
daemon's, as seconds since the epoch, so they compare with time.time() of the same machine.

A message the daemon drops from its queue by its priority rules is not in the log before
speech-dispatcher 0.11.5, so the rules are applied here as each message is queued.
"""
import codecs
import difflib
import html
import re
import time

# Every entry starts with a stamp; its text may go on over further lines.
STAMP = re.compile(r"\[(\w{3} \w{3} +\d+ \d\d:\d\d:\d\d \d{4}) : (\d+)\] speechd: ?")
DATA = re.compile(r"\s*(\d+):DATA:\|(.*)", re.S)
CLIENT_NAME = re.compile(r'SET SELF CLIENT_NAME "?[^:"]*:([^:"]*)', re.I)
QUEUED = re.compile(r"\s*Queueing message \|(.*)\| with priority (\d)", re.S)
STARTED = re.compile(r"\s*Incoming text: \|(.*)\|", re.S)
REMOVED = re.compile(r"\s*Removing message \|(.*)\| with priority (\d) from queue", re.S)
PRIORITIES = {1: "important", 2: "message", 3: "text", 4: "notification", 5: "progress"}


def plain(text):
    """The text without its SSML: no marks, no entities."""
    return html.unescape(re.sub(r"<[^>]*>", "", text))


def words(text):
    """The text as the daemon's symbol rules leave it comparable: letters and digits only."""
    return re.sub(r"[^a-z0-9]+", "", plain(text).lower())


class Utterance:
    def __init__(self, client, priority, text, queued):
        self.client = client
        self.priority = PRIORITIES.get(priority, str(priority))
        self.text = plain(text)
        self.words = words(text)
        self.queued = queued
        self.started = None
        self.ended = None  # when its playback ended or was stopped
        self.stopped = False
        self.cancelled = None  # when its client cancelled it before it started
        self.dropped = None  # when the daemon dropped it unstarted for another message

    def wait(self):
        """Seconds from queueing to starting, None when it never started."""
        return None if self.started is None else self.started - self.queued

    def __repr__(self):
        return "%s/%s %r" % (self.client, self.priority, self.text[:60])


class SpeechdLog:
    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.pending = ""  # an entry whose end may still be on its way
        # A read can end inside a character: its first bytes wait for the rest.
        self.decoder = codecs.getincrementaldecoder("utf-8")("replace")
        self.clients = {}  # connection fd -> client name, as the client set it
        self.fd = None  # the connection whose data the daemon read last
        self.previous = 0.0
        self.utterances = []
        self.waiting = []  # queued, not yet started
        self.playing = None

    def poll(self):
        """Reads what the daemon has written since the last call."""
        try:
            with open(self.path, "rb") as log:
                log.seek(self.offset)
                chunk = log.read()
        except FileNotFoundError:
            return
        self.offset += len(chunk)
        text = self.pending + self.decoder.decode(chunk)
        starts = [m.start() for m in STAMP.finditer(text)]
        # The last entry may be incomplete until the next stamp follows it.
        for begin, end in zip(starts, starts[1:]):
            self._entry(text[begin:end])
        self.pending = text[starts[-1]:] if starts else text

    def finish(self):
        self.poll()
        if self.pending:
            self._entry(self.pending)
            self.pending = ""

    def _time(self, stamp, micros):
        seconds = time.mktime(time.strptime(stamp, "%a %b %d %H:%M:%S %Y")) + micros / 1e6
        # The daemon reads the seconds and the microseconds from two clock reads: across a
        # second's edge the stamp can fall back by one second.
        if seconds < self.previous - 0.5:
            seconds += 1.0
        self.previous = seconds
        return seconds

    def _entry(self, entry):
        m = STAMP.match(entry)
        if not m:
            return
        body = entry[m.end():].rstrip("\n")
        at = self._time(m.group(1), int(m.group(2)))
        data = DATA.match(body)
        if data:
            self.fd = int(data.group(1))
            payload = data.group(2)
            name = CLIENT_NAME.match(payload)
            if name:
                self.clients[self.fd] = name.group(1).lower()
            elif re.match(r"CANCEL\b", payload, re.I):
                # A client's cancel drops what it has queued as well as what is playing.
                client = self.clients.get(self.fd, "?")
                for utterance in [u for u in self.waiting if u.client == client]:
                    utterance.cancelled = at
                    self.waiting.remove(utterance)
            return
        queued = QUEUED.match(body)
        if queued:
            utterance = Utterance(self.clients.get(self.fd, "?"), int(queued.group(2)),
                                  queued.group(1), at)
            self.utterances.append(utterance)
            self._drop_for(utterance, at)
            if utterance.dropped is None:
                self.waiting.append(utterance)
            return
        removed = REMOVED.match(body)
        if removed:
            gone = words(removed.group(1))
            for utterance in self.waiting:
                if utterance.words == gone:
                    self._drop(utterance, at)
                    break
            return
        started = STARTED.match(body)
        if started:
            utterance = self._match(words(started.group(1)))
            if utterance:
                utterance.started = at
                self.waiting.remove(utterance)
            self.playing = utterance
            return
        # The playback's own end, after the last sample, not the synthesizer's.
        body = body.strip()
        if body in ("INDEX MARK: __spd_end", "INDEX MARK: __spd_stopped") and self.playing:
            self.playing.ended = at
            self.playing.stopped = body.endswith("stopped")
            self.playing = None

    def _drop(self, utterance, at):
        utterance.dropped = at
        if utterance in self.waiting:
            self.waiting.remove(utterance)

    def _drop_for(self, new, at):
        """The daemon's rules for a new message (resolve_priorities): `important` drops waiting
        notifications, `message` drops waiting text and notifications, `text` the text queued
        before it and notifications, and a notification is dropped itself while anything else
        plays."""
        order = ("important", "message", "text", "notification", "progress")
        rank = order.index(new.priority) if new.priority in order else None
        if rank is None:
            return
        drops = {0: ("notification", "progress"), 1: ("text", "notification", "progress"),
                 2: ("text", "notification", "progress"), 3: ("notification",)}.get(rank, ())
        for utterance in [u for u in self.waiting if u.priority in drops]:
            self._drop(utterance, at)
        if (new.priority == "notification" and self.playing is not None
                and self.playing.priority != "notification"):
            new.dropped = at

    def _match(self, started):
        """The waiting utterance that the daemon started: its own text after the daemon's symbol
        rules, so the closest, and among equals the earliest."""
        best, score = None, 0.0
        for utterance in self.waiting:
            if utterance.words == started:
                return utterance
            ratio = difflib.SequenceMatcher(None, utterance.words[:200], started[:200]).ratio()
            if ratio > score:
                best, score = utterance, ratio
        return best if score >= 0.6 else None

    def behind_others(self, utterance):
        """Seconds the utterance waited to start, not counting its own client's earlier speech
        still playing or queued when it came: that order is the client's choice, the rest is
        the daemon's and the other clients' doing. None when it never started."""
        if utterance.started is None:
            return None
        ready = utterance.queued
        for earlier in self.utterances:
            if earlier is utterance:
                break
            if earlier.client != utterance.client:
                continue
            done = earlier.ended or earlier.cancelled
            if done and done > utterance.queued and (earlier.started or earlier.cancelled):
                ready = max(ready, done)
        return max(0.0, utterance.started - ready)

    def held_up_by(self, utterance, client):
        """The utterance of the client that the given one waited for: it played to its own end
        while the given one was queued, and the given one started right after it."""
        if utterance.started is None:
            return None
        return next((u for u in self.utterances if u.client == client and u.ended
                     and not u.stopped and utterance.queued < u.ended
                     and 0.0 <= utterance.started - u.ended < 0.05), None)

    def of(self, client, since=0.0):
        return [u for u in self.utterances if u.client == client and u.queued >= since]

    def timeline(self, since=0.0):
        """One line per utterance, for a reader who must see why a check failed."""
        lines = []
        for u in self.utterances:
            if u.queued < since:
                continue
            state = ("started +%.3f s" % u.wait() if u.started
                     else "cancelled +%.3f s" % (u.cancelled - u.queued) if u.cancelled
                     else "dropped +%.3f s" % (u.dropped - u.queued) if u.dropped
                     else "never started")
            if u.stopped:
                state += ", stopped after %.2f s" % (u.ended - u.started)
            lines.append("%.3f %-10s %-9s %-26s %s" % (u.queued - since, u.client, u.priority,
                                                      state, u.text.replace("\n", " ")[:90]))
        return lines
