#pragma once
// XSD schemas parsed once per file (and again only when the file changes), shared by threads.
#include <libxml/xmlschemas.h>

#include <memory>
#include <string>
#include <vector>

#include "external/XmlDocument.h"

namespace mox {

class CompiledSchema {
 public:
  explicit CompiledSchema(xmlSchemaPtr aSchema) : schema_(aSchema) {}
  ~CompiledSchema() { xmlSchemaFree(schema_); }
  CompiledSchema(const CompiledSchema&) = delete;
  CompiledSchema& operator=(const CompiledSchema&) = delete;

  // Validates; returns the errors found (empty when the document is valid).
  std::vector<std::string> Validate(const XmlDocument& aDoc) const;

 private:
  xmlSchemaPtr schema_;
};

// Raises EKivoException when the file is missing or is not a usable schema.
std::shared_ptr<const CompiledSchema> GetCompiledSchema(const std::string& aXsdFileName);

}  // namespace mox
