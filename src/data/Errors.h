#pragma once
// Exceptions raised by the data layer. Every message is meant to be shown to the
// player or the content author as it stands, so each one names the file it is about.

#include <stdexcept>
#include <string>

namespace vlm::data {

// A data file or archive that cannot be used: missing, truncated, malformed.
// The message names the file (and the archive entry where there is one).
class DataError : public std::runtime_error {
public:
    explicit DataError(const std::string& message) : std::runtime_error(message) {}
};

// A scrambled line without its marker. The message is always "save file is damaged!";
// FileName() and LineNumber() say where, when the line came from a file.
class ECryptError : public std::runtime_error {
public:
    ECryptError() : std::runtime_error("save file is damaged!") {}
    ECryptError(std::string fileName, int lineNumber)
        : std::runtime_error("save file is damaged!"), fileName_(std::move(fileName)), lineNumber_(lineNumber) {}

    const std::string& FileName() const noexcept { return fileName_; }
    // 1-based; 0 when the line did not come from a file.
    int LineNumber() const noexcept { return lineNumber_; }

private:
    std::string fileName_;
    int lineNumber_ = 0;
};

// A text that does not convert to a number. The message quotes the text.
class EConvertError : public std::runtime_error {
public:
    EConvertError(const std::string& message, std::string text)
        : std::runtime_error(message), text_(std::move(text)) {}

    const std::string& Text() const noexcept { return text_; }

private:
    std::string text_;
};

// A user file that could not be written. The message is "Unable to write to <file>";
// Reason() tells why (the system's error, or the value that cannot be stored).
class EWriteError : public std::runtime_error {
public:
    EWriteError(const std::string& fileName, std::string reason = {})
        : std::runtime_error("Unable to write to " + fileName), fileName_(fileName), reason_(std::move(reason)) {}

    const std::string& FileName() const noexcept { return fileName_; }
    const std::string& Reason() const noexcept { return reason_; }

private:
    std::string fileName_;
    std::string reason_;
};

} // namespace vlm::data
