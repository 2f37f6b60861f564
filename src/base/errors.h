#pragma once
// The general exception classes of the archive reader's toolkit layer: streams,
// object lists and the class registry. Every exception the reader raises derives
// from Exception, so a caller can catch one type per document.

#include <stdexcept>
#include <string>

namespace tarvik {

// The general exception: carries the message and nothing else.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stream failures ("Putback overflow", failed buffer reads and writes).
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

// A file could not be created (create mode).
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// An existing file could not be opened.
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// ReadBuffer got fewer bytes than it needed.
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// WriteBuffer could not write every byte.
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// Object list failures: bad index, duplicate key, misuse of a sorted list.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// The class registry of the list streaming has no entry for a class name.
class EClassNotFound : public Exception {
 public:
  using Exception::Exception;
};

// TPersistent::Assign between classes that do not know each other.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Message texts shared by the raisers and the tests.
namespace msg {
inline constexpr const char* kInvalidSeekOrigin = "Invalid seek origin (%d)";
inline constexpr const char* kSeekError = "Seek error";
inline constexpr const char* kPutbackOverflow = "Putback overflow";
inline constexpr const char* kReadError = "Stream read error";
inline constexpr const char* kWriteError = "Stream write error";
inline constexpr const char* kListIndexError = "List index out of bounds (%d)";
inline constexpr const char* kNotInItemList = "tObject %s not in item list";
inline constexpr const char* kDuplicateObject = "Duplicate Object index";
inline constexpr const char* kPutInSortedList = "Cannot <Put> an Object in a sorted list!";
inline constexpr const char* kClassNotRegistered = "Class <%s> not registered";
inline constexpr const char* kSourceClassNotRegistered = "Source Class <%s> not registered";
inline constexpr const char* kNilSourceClass = "Nil Source Class!";
inline constexpr const char* kCannotAssign = "Cannot assign a %s to a %s";
}  // namespace msg

// Replaces the first "%d" of format by value.
std::string FormatWithInt(const char* format, long long value);
// Replaces the "%s" of format, in order, by the given texts.
std::string FormatWithText(const char* format, const std::string& first, const std::string& second = {});

// "Cannot open file "PATH": REASON" and "Cannot create file "PATH": REASON",
// REASON being the system's text for errnum.
std::string FileOpenMessage(const std::string& path, int errnum);
std::string FileCreateMessage(const std::string& path, int errnum);

}  // namespace tarvik
