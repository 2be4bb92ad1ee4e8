#pragma once
// Base64 as RFC 4648 section 4 defines it, between byte buffers and text. Decoding is lenient:
// every byte outside the alphabet, "=" included, is passed over, so it never fails on content.
// A null input pointer counts as no bytes.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// The input length that tells base64Decode to measure a NUL-terminated input.
inline constexpr std::size_t kBase64NulTerminated = std::numeric_limits<std::size_t>::max();

// Decodes the alphabet characters of `input` in groups of four; a trailing group of two or three
// gives one or two bytes. Returns the decoded bytes (no terminator), owned by the caller, and
// stores their count in *outputLength when given. Returns null and leaves *outputLength untouched
// when the buffer cannot be allocated.
std::unique_ptr<std::uint8_t[]> base64Decode(const void* input, std::size_t length, std::size_t* outputLength);

// Encodes `length` bytes with "=" padding; with separateLines, CR LF follows every 48 input bytes
// that more input follows. Returns NUL-terminated text, owned by the caller, and stores its length
// less the NUL in *outputLength when given. Returns null and leaves *outputLength untouched when
// the buffer cannot be allocated.
std::unique_ptr<char[]> base64Encode(const void* input, std::size_t length, bool separateLines,
                                     std::size_t* outputLength);

// Decodes a UTF-8 text; a text holding any byte outside ASCII gives empty data.
std::vector<std::uint8_t> dataFromBase64String(std::string_view text);

// Encodes the data as one line of Base64 text; empty text if memory runs out.
std::string base64EncodedString(const std::vector<std::uint8_t>& data);

} // namespace veltrona
