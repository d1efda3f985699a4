#pragma once
#include "util/ByteBuffer.h"

#include <array>
#include <string>
#include <string_view>

// Text in memory is UTF-8; files and printouts count and store code page 932 (Shift-JIS) bytes.
namespace mrt {

// The conversions between UTF-8 and CP932 come from the C library's iconv modules. When these
// cannot be opened, every conversion throws std::runtime_error with this message; the programs
// check Cp932Available() first and end with it.
inline constexpr const char* kCp932UnavailableMessage =
    "文字コード CP932 (Shift-JIS) への変換を使用できません。C ライブラリの文字コード変換モジュール (gconv) "
    "がインストールされているか確認してください。";
bool Cp932Available();

// True when the byte opens a double-byte CP932 character.
bool IsCp932LeadByte(unsigned char b);

// Converts UTF-8 to CP932. Returns false (and leaves `out` with what could be converted, each
// unmappable character replaced by "?") when some character has no CP932 form.
bool ToCp932(std::string_view utf8, std::string& out);
// CP932 → UTF-8. Invalid bytes become U+FFFD; a lead byte at the very end is dropped.
std::string FromCp932(std::string_view sjis);

// True when the bytes are CP932 text that converts without a replacement. With allowCutEnd a
// lead byte alone at the very end (a fixed-width field cut inside a character) is accepted.
bool IsCp932Bytes(std::string_view sjis, bool allowCutEnd = false);
// True when the bytes are well-formed UTF-8 holding a character of three or more bytes (as every
// Japanese character is), or open with the UTF-8 byte order mark: a text saved as UTF-8. Such text
// is often valid CP932 as well, read as garbage; real CP932 Japanese is almost never valid UTF-8.
bool LooksLikeUtf8(std::string_view bytes);

// True when every character of the text has a CP932 form; input is refused otherwise.
bool IsCp932Text(std::string_view utf8);
// The first character (as UTF-8) that has no CP932 form, to name it when input is refused;
// empty when every character has one.
std::string FirstNonCp932Char(std::string_view utf8);
// The refusal of such a character: "「" + ch + "」はファイルに保存できない文字のため" + action +
// "できません。" (action "登録" where a name is registered, "入力" where a line is typed).
std::string NonCp932Refusal(std::string_view ch, std::string_view action);

// Number of CP932 bytes of the text (unmappable characters count as one byte each).
int AnsiByteLength(std::string_view utf8);

// Text followed by n blanks, cut to n CP932 bytes. A double-byte character that the cut
// would split becomes a blank, so the result is always exactly n bytes in CP932.
std::string FitLeftBytes(std::string_view utf8, int n);
// n blanks followed by the text, last n CP932 bytes (a split character becomes a blank).
std::string FitRightBytes(std::string_view utf8, int n);

// Encodes a fixed-width file field: exactly n bytes, blank-padded, cut on a character boundary.
// Returns false when the text holds a character CP932 cannot store (the field then holds "?").
bool EncodeField(std::string_view utf8, int n, char* dest);
// Decodes a fixed-width field read from a file (no trimming; a dangling lead byte is dropped).
std::string DecodeField(const char* src, int n);
// The same as TrimRight(DecodeField(src, n)), but the padding is trimmed in bytes first, so a
// blank field costs no conversion and pure ASCII text none beyond a copy.
std::string DecodeFieldTrimmed(const char* src, int n);
// The same into `out`, reusing its storage.
void DecodeFieldTrimmedInto(const char* src, int n, std::string& out);
// The bytes of a fixed-width field that DecodeFieldTrimmed decodes: its padding (blanks, NULs) and
// a lead byte alone at its end left out. `ascii` (when given): every one of them is below 0x80.
std::string_view FieldTextBytes(const char* src, int n, bool* ascii = nullptr);
// Appends the text of a fixed-width field, as DecodeFieldTrimmed decodes it, to `out` in one walk.
// Done; NotCp932 when the field holds bytes that are no CP932, Stopped when its text holds an
// ASCII byte that `stops` marks (`out` is then left as it was).
enum class FieldAppend { Done, NotCp932, Stopped };
FieldAppend AppendFieldText(const char* src, int n, ByteBuffer& out, const std::array<bool, 128>& stops);

// Every NUL replaced by a blank, then trailing blanks removed.
std::string NulToBlankTrim(std::string_view text);
// The text without its trailing blanks and NULs, as a view of it or a copy.
std::string_view TrimmedRight(std::string_view text);
std::string TrimRight(std::string_view text);

} // namespace mrt
