#pragma once
// XML date and time texts turned into dates and into the Brazilian display form.
#include <string>

#include "external/moxDateTime.h"

namespace mox {

// The date of a YYYY-MM-DD text (a date-time's time part is ignored), at 00:00.
// Raises EmoxNFEConvertDateException.
TDateTime XmlDateToDateTime(const std::string& aXmlDate);

// YYYY-MM-DD as DD/MM/YYYY; blank gives empty. Raises EmoxNFEConvertDateException.
std::string ConverteData(const std::string& Data);

// As ConverteData, with the length of the layout version: "2.00" a date (10 characters),
// "3.10" a date-time (25); any other version text takes either.
std::string ConverteDataComVersaoNFe(const std::string& aData, const std::string& aVersaoNFe);

// The time of a YYYY-MM-DDThh:mm:ssTZD text as hh:mm:ss; blank gives empty.
// Raises EmoxNFEConvertHoraException.
std::string ConverteHora(const std::string& Hora);

}  // namespace mox
