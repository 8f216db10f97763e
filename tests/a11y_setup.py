"""What the accessibility clients set up beside the program they run."""

import os
import subprocess


def prepare(program):
    """Two saved people beside PROGRAM, so that there is something to tick, and an xdg-open
    that does nothing, so that the farewell page starts no browser. Returns the environment
    to run the program in."""
    folder = os.path.dirname(program)
    with open(os.path.join(folder, "Vantrel"), "w", encoding="utf-8") as saved:
        saved.write('"Ann","1990-05-17","255"\n"Bob","1985-01-02","65280"\n')
    fake_open = os.path.join(folder, "xdg-open")
    with open(fake_open, "w", encoding="utf-8") as script:
        script.write("#!/bin/sh\nexit 0\n")
    os.chmod(fake_open, 0o755)
    return dict(os.environ, PATH=folder + os.pathsep + os.environ.get("PATH", ""))


def end(process):
    """Ends the program, however far the client got."""
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
