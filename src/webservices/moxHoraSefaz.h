#pragma once
// Date-times as SEFAZ writes them: Brasília time (UTC-3), whatever the machine's zone.
#include <chrono>
#include <optional>
#include <string>

namespace mox {

using TInstante = std::chrono::system_clock::time_point;

// "2014-03-15T10:00:00-03:00" (layout 3.10 and the events).
std::string DataHoraUTC(TInstante aInstante);
// "2014-03-15T10:00:00" (layout 2.00).
std::string DataHoraLocal(TInstante aInstante);
// "2014-03-15"
std::string DataBrasilia(TInstante aInstante);
// Two digits of the year.
std::string Ano2(TInstante aInstante);

// A date-time of a document: with a UTC offset, or without one (then Brasília time), or a
// bare date (its midnight). Empty when the text is none of these.
std::optional<TInstante> LeDataHora(const std::string& aTexto);

}  // namespace mox
