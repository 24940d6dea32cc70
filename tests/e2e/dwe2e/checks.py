"""Failures and waits. Every wait is for a condition, with a deadline."""

import time

# How often a wait looks again.
POLL = 0.1


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(condition, seconds, poll=0.2):
    """True as soon as condition() holds, False when the deadline passes first."""
    deadline = time.monotonic() + seconds
    while True:
        if condition():
            return True
        if time.monotonic() >= deadline:
            return False
        time.sleep(poll)


def wait_for(condition, seconds, message):
    """What condition() gives once it holds; a failure with message (a text, or a
    function giving one, for details read at the deadline) when it never does."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(message() if callable(message) else message)
        time.sleep(POLL)
