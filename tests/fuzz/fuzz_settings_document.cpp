// Any UTF-16 key of up to 259 units: the document fits its buffer, and libxml2 parses it as
// well-formed UTF-8 XML whose partnerkey element holds no child elements.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "partner/settings_document.h"

static void IgnoreXmlErrors(void*, const char*, ...) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char16_t> key;
  for (size_t i = 0; i + 1 < size && key.size() < kLongestPartnerKeyUnits; i += 2) {
    key.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  char* out = static_cast<char*>(std::malloc(kSettingsDocumentCapacity));  // exact, for ASan
  const size_t length = BuildSettingsDocument(key.data(), key.size(), out, kSettingsDocumentCapacity);
  if (length == 0 || length > kSettingsDocumentCapacity) std::abort();
  xmlSetGenericErrorFunc(nullptr, IgnoreXmlErrors);
  xmlDocPtr document = xmlReadMemory(out, static_cast<int>(length), "settings.xml", "UTF-8",
                                     XML_PARSE_NONET);
  if (document == nullptr) std::abort();
  xmlNodePtr root = xmlDocGetRootElement(document);
  xmlNodePtr partnerKey = root == nullptr ? nullptr : xmlLastElementChild(root);
  if (partnerKey == nullptr || xmlFirstElementChild(partnerKey) != nullptr) std::abort();
  xmlFreeDoc(document);
  std::free(out);
  return 0;
}
