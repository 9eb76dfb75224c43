#pragma once
// Errors carry the system's own English message; one handler shows them.
#include <stdexcept>
#include <string>

namespace parlora {

class AppError : public std::runtime_error {
  public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

// Component error classes, named after the component that raises them.
class ConfigError : public AppError {
    using AppError::AppError;
};
class ProfileError : public AppError {
    using AppError::AppError;
};
class SLException : public AppError {
    using AppError::AppError;
}; // state list
class RWException : public AppError {
    using AppError::AppError;
}; // wave player and recorder
class MixException : public AppError {
    using AppError::AppError;
}; // mixer
class TKMException : public AppError {
    using AppError::AppError;
}; // media player
class PBException : public AppError {
    using AppError::AppError;
}; // picture decoding
class DIBException : public AppError {
    using AppError::AppError;
}; // display elements

} // namespace parlora
