#pragma once
// The states' two-digit IBGE codes; "AN" (91) is the national environment.
#include <string>
#include <vector>

namespace mox {

// Appends the "UF=code" lines of every state, in the table's order.
void PopulaListaUF(std::vector<std::string>& aLista);

// Code of the abbreviation (case-insensitive); empty when unknown.
std::string GetCodeUF(const std::string& aUF);

}  // namespace mox
