#!/usr/bin/env python3
"""Plants one fault at a time in the game's layers, rebuilds, runs the whole test suite and
says which tests caught each fault; a fault no test catches is a hole in the tests. Every file
is put back as it was, whatever happens. Not part of CI: each fault costs a build and a full
run (about two minutes on two cores).

    python3 tools/fault_plant.py [--build build] [--only NAME ...] [--label LABEL] [--check]

--check builds nothing: it only says whether each text is in its file exactly once (a unit test).
"""
import argparse
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# name, file, [(text, replacement), ...]: each text must occur exactly once in the file.
FAULTS = [
    ("demo-repeated-answer-index", "app/demos/demo.cpp", [("t.index <= previous", "t.index < previous")]),
    ("report-close-failure-unchecked", "platform/files/atomic_file.cpp",
     [("if (std::fflush(out_) != 0 && problem_.empty())", "if (std::fflush(out_) != 0 && false)"),
      ("if (closed != 0 && problem_.empty())", "if (closed != 0 && false)")]),
    ("pause-resuming-click-fires", "app/screens/tapp_pause.cpp", [("if (use.clicked) ClearButtons();", "")]),
    ("left-trigger-at-threshold", "app/play/pad_controls.cpp",
     [("PadAxis(PAD_AXIS_TRIGGERLEFT) > kPadTriggerThreshold", "PadAxis(PAD_AXIS_TRIGGERLEFT) >= kPadTriggerThreshold")]),
    ("dangling-config-link-passed-over", "platform/files/paths.cpp",
     [("fs::exists(fs::symlink_status(own, error))", "fs::exists(own, error)")]),
    ("multichannel-right-channel", "platform/audio/ogg.cpp", [("return channels == 3 || channels >= 5 ? 2 : 1;", "return channels == 3 ? 1 : 1;")]),
    ("stale-ticker-ticks-counted", "platform/system/timer.cpp",
     [("s.timer != nullptr && (s.generation & 0xffffff) == (generation & 0xffffff)",
       "s.timer != nullptr && s.generation + generation != 0")]),
    ("key-repeat-counted-as-press", "platform/input/input.cpp", [("if (states[static_cast<size_t>(code)] == 1) return;", "")]),
    ("rules-clock-forgets-earlier-pauses", "rules/rules_clock.cpp",
     [("rulesClock.stoppedTotal = ClockAdd(rulesClock.stoppedTotal, ClockDiff(RealNowMs(), rulesClock.stoppedAt));",
       "rulesClock.stoppedTotal = ClockDiff(RealNowMs(), rulesClock.stoppedAt);")]),
    ("bound-key-never-held", "rules/answers.cpp", [("held |= TakeCurrentKeyHeld(k);", "held &= TakeCurrentKeyHeld(k);")]),
    ("fresh-game-keeps-the-grid", "state/game.cpp", [("  game.mapGrid.Clear();\n", "")]),
    ("pacing-remainder-late", "platform/system/pacing.cpp", [("pacing.accum >= pacing.hertz", "pacing.accum > pacing.hertz")]),
    ("shoulder-wrap-negative", "app/play/pad_controls.cpp",
     [("((from + next - previous) % 5 + 5) % 5", "(from + next - previous) % 5")]),
    ("pause-key-repeat-counted", "app/play/pause_watch.cpp", [("if (!held) ++count;", "++count;")]),
    ("right-shift-as-left", "platform/input/key_names.cpp",
     [("case SDL_SCANCODE_RSHIFT:\n      return KEY_RIGHTSHIFT;", "case SDL_SCANCODE_RSHIFT:\n      return KEY_LEFTSHIFT;")]),
    ("shoulder-digit-never-let-go", "app/play/pad_controls.cpp", [("if (state.shoulderDigitRead) {", "if (false) {")]),
    ("pad-presses-kept-across-focus", "platform/input/pad.cpp",
     [("      state.focused = false;\n      DropPresses();", "      state.focused = false;"),
      ("      state.focused = true;\n      DropPresses();", "      state.focused = true;")]),
    ("pause-frame-not-kept", "app/play/present.cpp", [("  KeepFrameIfPausing();\n", "")]),
    ("screenshot-key-wrong", "app/play/player_keys.cpp",
     [("Keys(TAction::Screenshot)", "Keys(TAction::FullScreen)")]),
    ("turn-carry-kept-on-reverse", "app/play/pad_controls.cpp",
     [("if (rate * state.turnCarry <= 0.0)", "if (rate == 0.0)")]),
    ("relative-pointer-absolute", "platform/input/window_input.cpp",
     [("state.pointerX += e.motion.xrel;", "state.pointerX = e.motion.xrel;")]),
    ("close-request-leaves-score-screen-up", "app/play/pad_controls.cpp",
     [("SetCloseRequestKeys({KEY_ESCAPE, KEY_ENTER});", "SetCloseRequestKeys({KEY_ESCAPE});")]),
    ("replay-escape-ignored", "app/demos/session.cpp", [("KeyPressedLive(KEY_ESCAPE) != 0 || ", "")]),
    ("line-culled-by-its-first-end", "platform/video/graphics.cpp",
     [("std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)",
       "std::min(ax, bx), std::min(ay, by), std::min(ax, bx), std::min(ay, by)")]),
    ("settings-change-not-marked", "app/player/settings_in_force.cpp",
     [("  if (!(to == inForce.settings)) inForce.changed = true;\n", "")]),
    ("new-session-keeps-old-notices", "app/play/play_session.cpp",
     [("  current = std::make_unique<TPlaySession>();\n",
       "  const TNotices kept = current ? current->notices : TNotices{};\n"
       "  current = std::make_unique<TPlaySession>();\n  current->notices = kept;\n")]),
    ("focus-loss-asks-no-pause", "app/play/pause_watch.cpp",
     [("      input.focusLost = true;\n      [[fallthrough]];", "      [[fallthrough]];")]),
]

# Without the --check test: a planted text is missing from its file by design.
SUITE = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -noreset", "env", "LIBGL_ALWAYS_SOFTWARE=1",
         "ctest", "-j2", "--timeout", "300", "-E", "^FaultPlantTextsAreInTheirFilesOnce$"]


def run_suite(build, label):
    """The names of the tests that failed; None when the program did not build."""
    made = subprocess.run(["cmake", "--build", build, "-j2"], cwd=ROOT, capture_output=True, text=True)
    if made.returncode != 0:
        return None
    out = subprocess.run(SUITE + (["-L", label] if label else []), cwd=ROOT / build, capture_output=True,
                         text=True).stdout
    tail = out[out.find("The following tests FAILED:"):] if "The following tests FAILED:" in out else ""
    return re.findall(r"^\s*\d+ - (\S+)", tail, re.MULTILINE)


def misplaced(faults):
    """A line for each text that is not in its file exactly once."""
    found = []
    for name, file, changes in faults:
        path = ROOT / file
        held = path.read_text() if path.exists() else ""
        for text, _ in changes:
            if held.count(text) != 1:
                found.append(f"{name}: {file} holds {held.count(text)} copies of {text!r}, not one")
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--only", nargs="*")
    parser.add_argument("--label", help="run only the tests of this CTest label")
    parser.add_argument("--check", action="store_true",
                        help="only say whether every text is in its file exactly once; builds nothing")
    args = parser.parse_args()
    faults = [f for f in FAULTS if not args.only or f[0] in args.only]
    problems = misplaced(faults)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems or args.check:
        return 1 if problems else 0
    caught = 0
    for name, file, changes in faults:
        path = ROOT / file
        original = path.read_text()
        planted = original
        for text, replacement in changes:
            planted = planted.replace(text, replacement)
        try:
            path.write_text(planted)
            failed = run_suite(args.build, args.label)
        finally:
            path.write_text(original)
        if failed is None:
            print(f"{name}: does not build (no fault to catch)", flush=True)
        elif failed:
            caught += 1
            print(f"{name}: caught by {', '.join(failed)}", flush=True)
        else:
            print(f"{name}: SURVIVED", flush=True)
    subprocess.run(["cmake", "--build", args.build, "-j2"], cwd=ROOT, capture_output=True)
    print(f"{caught} of {len(faults)} planted faults caught")
    return 0 if caught == len(faults) else 1


if __name__ == "__main__":
    sys.exit(main())
