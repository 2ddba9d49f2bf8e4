#pragma once
// The message of the exception an action raises, for tests that check failure texts.
#include <exception>
#include <functional>
#include <string>

namespace moxtest {

inline const char* kNoException = "(nenhuma exceção)";

// The what() of the exception of type E that aAction raises, or kNoException; an exception of
// another type goes on to fail the test.
template <typename E = std::exception>
std::string ErrorMessage(const std::function<void()>& aAction) {
  try {
    aAction();
  } catch (const E& e) {
    return e.what();
  }
  return kNoException;
}

}  // namespace moxtest
