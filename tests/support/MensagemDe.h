#pragma once
// The message of the exception an action raises, so a table of cases can compare messages and
// exception classes in one expectation.
#include <exception>
#include <functional>
#include <string>

namespace moxtest {

// The message when the action raises an E; otherwise a text naming what happened instead.
template <typename E>
std::string MensagemDe(const std::function<void()>& aAcao) {
  try {
    aAcao();
  } catch (const E& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("outra exceção: ") + e.what();
  }
  return "nenhuma exceção";
}

}  // namespace moxtest
