#pragma once
// Errors of picture decoding and encoding. The window layer catches them at
// the handler and shows what() in the standard error box.

#include <stdexcept>
#include <string>

class EImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure reported by libjpeg; Code() is libjpeg's message code.
class EJpegError : public EImageError {
public:
    explicit EJpegError(int code)
        : EImageError("JPEG error #" + std::to_string(code)), FCode(code) {}
    int Code() const { return FCode; }

private:
    int FCode;
};
