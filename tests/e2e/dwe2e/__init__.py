"""End-to-end tests of drivewarden.exe under Wine: the session, the drive, the
pictures, and the cases (cases/), run one at a time by ../e2e.py."""
