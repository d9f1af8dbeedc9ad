// Failure classes of the library. None of them leaves an export.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrup {

// A plain failure with a message.
class EKestrupError : public std::runtime_error {
public:
    explicit EKestrupError(const std::string& message) : std::runtime_error(message) {}
};

// Socket and host look-up failures.
class ESockError : public EKestrupError {
public:
    using EKestrupError::EKestrupError;
};

// An operation ended by Cancel or by the time-out.
class EAbortError : public EKestrupError {
public:
    using EKestrupError::EKestrupError;
};

// A body or file larger than the call may receive.
class ETooLarge : public EKestrupError {
public:
    ETooLarge() : EKestrupError("Body too large") {}
};

}  // namespace kestrup
