# Sourced by the scripts that start Wine. Wine writes Windows names to Linux in
# the locale's character set; in the C locale of a bare CI shell a name such as
# "é.exe" cannot be written at all. A Linux desktop is UTF-8, and so are the tests.
case "$(LC_ALL=${LC_ALL:-} locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
