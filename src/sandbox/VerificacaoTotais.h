#pragma once
// The total checks SEFAZ runs on a 4.00 note: the ICMS base and tax and the products against the
// sum of the items, the payments and the change against the note's total.
#include <libxml/tree.h>

namespace mox::sandbox {

// Raises ERejeicao 531, 532, 564, 865, 866 or 869.
void ConfereTotais400(xmlNodePtr aInfNFe);

}  // namespace mox::sandbox
