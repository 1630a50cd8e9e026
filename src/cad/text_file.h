#pragma once
// The program's own text files (catalogues, the CAD list): read in the encoding their
// byte-order mark names, otherwise as Shift-JIS (code page 932); written back in the encoding
// they were read in, through a temporary file beside the target so that a crash or a full disk
// never leaves half a file.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qarn::cad {

enum class TextEncoding { ShiftJis, Utf8Bom, Utf16LeBom, Utf16BeBom };

struct TextFile {
  TextEncoding encoding = TextEncoding::ShiftJis;
  std::vector<std::string> lines;  // UTF-8, without their line ends
  // The first line (from 1) holding bytes the encoding does not define, read as U+FFFD; 0 when
  // every byte was read. Such a file is never written back: the user's bytes would be lost.
  int badLine = 0;
  // The bytes as read, after the byte-order mark. A rewrite takes the bytes of lines the user
  // did not touch from here where the encoding spells a character in more than one way.
  std::string original;
};

// A character that the file's encoding cannot hold; the file is left untouched.
class EncodingError : public std::runtime_error {
 public:
  EncodingError(const std::string& message, std::string character)
      : std::runtime_error(message), character_(std::move(character)) {}
  const std::string& character() const { return character_; }

 private:
  std::string character_;
};

// The bytes as UTF-8 text; bytes the encoding does not define become U+FFFD.
std::string decodeText(const std::string& bytes, TextEncoding encoding);
// The same text appended to `out`, with no string of its own: a file read a piece at a time is
// decoded straight into its text.
void appendDecoded(std::string& out, std::string_view bytes, TextEncoding encoding);
// The UTF-8 text in the encoding, with no byte-order mark; EncodingError for a character the
// encoding cannot hold.
std::string encodeText(const std::string& utf8, TextEncoding encoding);
// The encoding a file's first bytes name, and how many bytes the mark takes.
TextEncoding detectEncoding(const std::string& bytes, std::size_t& markLength);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or stray bytes).
bool isWellFormedUtf8(const std::string& bytes);

// Lines end with CR, LF or CR LF; a last line without an end counts, an empty file has none.
std::vector<std::string> splitLines(const std::string& text);
std::vector<std::string_view> splitLineViews(std::string_view text);

// A file's bytes; nothing when it does not exist; std::runtime_error when it cannot be read.
std::optional<std::string> readFileBytes(const std::string& path);

// Nothing when the file does not exist; std::runtime_error when it cannot be read.
std::optional<TextFile> readTextFile(const std::string& path);

// A file read for a rewrite that changes a few of its lines: the lines as views into the decoded
// text, and each line's own bytes. The lines written back untouched keep their bytes exactly and
// cost no encoding, however large the file.
struct LineFile {
  LineFile() = default;
  LineFile(const LineFile&) = delete;  // the views point into its own texts
  LineFile& operator=(const LineFile&) = delete;
  TextEncoding encoding = TextEncoding::ShiftJis;
  int badLine = 0;  // as in TextFile
  std::string original, text;
  std::vector<std::string_view> lines;  // in `text`
  std::vector<std::string_view> bytes;  // in `original`, by line; empty when they cannot be told
};
// Nothing when the file does not exist.
std::unique_ptr<LineFile> readLineFile(const std::string& path);
// Writes, in order, the lines of the file given by their index, and for an index of -1 - k the
// text `added[k]`; each line followed by CR LF, with the byte-order mark, atomically. Refused as
// writeTextFile is.
void writeLineFile(const std::string& path, const LineFile& file,
                   const std::vector<std::int64_t>& order, const std::vector<std::string>& added);
// Writes every line followed by CR LF, with the encoding's byte-order mark, atomically.
// EncodingError when the file was read with undefined bytes (`badLine`).
void writeTextFile(const std::string& path, const TextFile& file);
// Bytes to a temporary file beside `path` (a name of this process's own), flushed to the disk,
// then renamed over it and the folder flushed; the file keeps its permissions. A read-only file
// is refused and left as it is. Failures are std::runtime_error with a message for the user.
void writeFileAtomically(const std::string& path, const std::string& bytes);
// The same for content made a piece at a time: `produce` hands the pieces to the sink in order,
// so that a large file is never held whole. Should `produce` throw, the file stays as it was.
using ByteSink = std::function<void(std::string_view)>;
void writeFileAtomically(const std::string& path,
                         const std::function<void(const ByteSink&)>& produce);

// A value for one field of a line of a tab-separated file: one line break at its end (a cell
// pasted from a spreadsheet) is dropped; any other tab or line break would split the line or
// shift its fields, and is refused with a message naming the field.
std::string fieldValue(const std::string& value, const std::string& fieldName);
class FieldError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// File names travel through the program as UTF-8. These turn them into the platform's paths and
// back (UTF-16 on Windows), so that folders with Japanese names work whatever the code page.
std::filesystem::path filePath(const std::string& utf8);
std::string utf8Path(const std::filesystem::path& path);
// A file's name in a folder, both UTF-8.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace qarn::cad
