#pragma once
// The fiscal utility routines in one include: access key and check digits, state codes, date
// and time texts, enumeration texts, XML and log lookups, folder paths.
#include "base/moxEnumTexts.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxCodigoUF.h"
#include "utils/moxDataHoraNFe.h"
#include "utils/moxNFePaths.h"
#include "utils/moxVerificacoes.h"
#include "utils/moxXmlLookup.h"
