// What a file is by its first bytes, whatever its name says: worms give their
// programs and scripts the names of data (~$WYDCNU.FAT32, trash.dll, szM.ciK), so
// that a check by extension passes them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace dw {

enum class TContentKind { Other, Program, Shortcut, EncodedScript, ScriptText };

// What JudgeContent needs of a file: every marker it knows sits in the first bytes.
constexpr size_t kContentHeadBytes = 512;

TContentKind JudgeContent(std::string_view head);

// The bytes as text, ASCII letters lower-cased, UTF-16 (with or without its
// byte-order mark) narrowed to one byte a character; nothing when they hold the
// zeros and control bytes of a binary file.
std::optional<std::string> AsText(std::string_view head);

}  // namespace dw
