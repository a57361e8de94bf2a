#!/usr/bin/env bash
# Times Korvani from its start to the games list shown, on a games file of GAMES
# running e-mail games: with an Inbox of MESSAGES messages from the opponents and
# others, whose senders the list reads for its "answer waiting" marks (the usual start,
# where the senders' cache holds what the previous start read), the same with the cache
# removed before each start (every message opened, as on a first start), and with an
# empty Inbox (nothing to read, no mark). Each runs RUNS times, interleaved, on a warm
# page cache; the medians and the cost of the marks are printed.
# The data is made in a temporary folder (WORK), which is removed at the end.
# Usage: bench/answers_waiting_bench.sh   (BUILD, RUNS, GAMES, MESSAGES and WORK may be set)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build/games-list-release}
RUNS=${RUNS:-15}
GAMES=${GAMES:-1000}
MESSAGES=${MESSAGES:-3000}
KEEP_WORK=${WORK:+1}
WORK=${WORK:-$(mktemp -d)}
[[ -z $KEEP_WORK ]] && trap 'rm -rf "$WORK"' EXIT

cmake --preset release -B "$BUILD" -DKORVANI_BUILD_TESTS=OFF -DKORVANI_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" --target korvani -j2 >/dev/null

python3 - "$BUILD/app/korvani" "$WORK" "$GAMES" "$MESSAGES" "$RUNS" <<'PYTHON'
import os, random, shutil, statistics, subprocess, sys, time

program, work = sys.argv[1], sys.argv[2]
games, messages, runs = (int(a) for a in sys.argv[3:6])
random.seed(7)
now = int(time.time())
day = 86400

def maildir(root):
    for sub in ("new", "cur", "tmp"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    return root

def mmdd(seconds):
    t = time.gmtime(seconds)
    return f"{t.tm_mon:02d}.{t.tm_mday:02d}"

# One home per run kind; all share the games file's content.
homes = {}
for kind in ("with", "cold", "without"):
    home = os.path.join(work, kind)
    os.makedirs(os.path.join(home, "Documents"), exist_ok=True)
    os.makedirs(os.path.join(home, "config", "korvani"), exist_ok=True)
    os.makedirs(os.path.join(home, "runtime"), mode=0o700, exist_ok=True)
    store = maildir(os.path.join(home, "Mail"))
    with open(os.path.join(home, "config", "korvani", "device.ini"), "w") as ini:
        ini.write(f"[Owner]\nName=Bench\nE-mail=bench@example.org\n\n"
                  f"[Messaging]\nStores={store}\n")
    homes[kind] = home

# Running e-mail games against GAMES / 4 opponents, each last move 1 to 40 days ago.
opponents = [f"Player {i}" for i in range(max(1, games // 4))]
pgn = []
for g in range(games):
    i = g % len(opponents)
    owner_white = g % 2 == 0
    white, black = ("Bench", opponents[i]) if owner_white else (opponents[i], "Bench")
    we, be = ("bench@example.org", f"player{i}@example.net")
    if not owner_white:
        we, be = be, we
    trait = random.choice(("White", "Black"))
    last = now - random.randint(1, 40) * day
    pgn.append(f'[Event "Correspondence"]\n[Site "?"]\n[Date "2025.01.01"]\n[Round "{g + 1}"]\n'
               f'[White "{white}"]\n[Black "{black}"]\n[Result "*"]\n'
               f'[WhiteEmail "{we}"]\n[BlackEmail "{be}"]\n[LastMoveDate "{mmdd(last)}"]\n'
               f'[LastMove "12"]\n[Trait "{trait}"]\n\n'
               "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6 "
               "8. c3 O-O 9. h3 Nb8 10. d4 Nbd7 11. Nbd2 Bb7 12. Bc2 *\n\n")
for home in homes.values():
    with open(os.path.join(home, "Documents", "Korvani.pgn"), "w") as out:
        out.write("".join(pgn))

# Messages as a mail server delivers them: a few Received lines, a signature, the
# usual fields, a short body; from the opponents and from others, over 60 days.
for m in range(messages):
    sender = (f"player{random.randrange(len(opponents))}@example.net" if m % 3
              else f"news{m % 50}@lists.example.com")
    received = "".join(
        f"Received: from mx{k}.example.net (mx{k}.example.net [192.0.2.{k}])\n"
        f"\tby mail.example.org (Postfix) with ESMTPS id 4B{m:06d}{k}\n"
        f"\tfor <bench@example.org>; Tue, 9 Dec 2025 12:00:0{k} +0000 (UTC)\n" for k in range(4))
    text = (f"Return-Path: <{sender}>\n{received}"
            f"DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.net; s=mail;\n"
            f"\tbh={'a' * 44};\n\tb={'x' * 300}\n"
            f"From: Someone {m} <{sender}>\nTo: Bench <bench@example.org>\n"
            f"Subject: Re: our game {m}\nDate: Tue, 9 Dec 2025 12:00:00 +0000\n"
            f"Message-ID: <{m}@example.net>\nMIME-Version: 1.0\n"
            f"Content-Type: text/plain; charset=UTF-8\n\n"
            f"12... Nf6\n\nYour move!\n" + "Quoted text of the earlier mail.\n" * 20)
    sub = "new" if m % 4 == 0 else "cur"
    name = f"{1700000000 + m}.M{m}P1.bench" + ("" if sub == "new" else ":2,S")
    delivered = now - random.randint(0, 60 * day)
    for kind in ("with", "cold"):
        path = os.path.join(homes[kind], "Mail", sub, name)
        with open(path, "w") as out:
            out.write(text)
        os.utime(path, (delivered, delivered))
# A warm page cache, as after the first start.
for root, _, files in os.walk(work):
    for f in files:
        with open(os.path.join(root, f), "rb") as data:
            data.read()

def shown_seconds(home):
    cache = os.path.join(home, "cache")
    if home == homes["cold"] and os.path.isdir(cache):
        shutil.rmtree(cache)
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=os.path.join(home, "runtime"),
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"), XDG_CACHE_HOME=cache,
               QT_QPA_PLATFORM="offscreen", QT_LOGGING_RULES="korvani.*.debug=true")
    start = time.monotonic()
    process = subprocess.Popen([program], env=env, stderr=subprocess.PIPE, text=True)
    for line in process.stderr:
        if "games list shown" in line:
            elapsed = time.monotonic() - start
            break
    else:
        raise SystemExit("korvani ended before showing its games list")
    process.kill()
    process.wait()
    return elapsed, line.strip()

for kind in homes:
    shown_seconds(homes[kind])
times = {kind: [] for kind in homes}
lines = {}
for _ in range(runs):
    for kind in homes:
        seconds, lines[kind] = shown_seconds(homes[kind])
        times[kind].append(seconds)
print(f"{games} running e-mail games, an Inbox of {messages} messages; {runs} runs each; "
      f"{lines['with']}")
names = {"with": "marks, senders' cache from the previous start",
         "cold": "marks, no senders' cache (every message read)",
         "without": "no marks (empty Inbox)"}
median = {kind: statistics.median(times[kind]) for kind in homes}
for kind in homes:
    print(f"{names[kind]:<48} median {median[kind]:.3f} s "
          f"(min {min(times[kind]):.3f}, max {max(times[kind]):.3f})")
for kind in ("with", "cold"):
    print(f"added by the marks, {names[kind].split(', ')[1]}: "
          f"{100 * (median[kind] / median['without'] - 1):+.1f} %")
print("goal: at most +20 % for the usual start")
PYTHON
