#include "partner/settings_document.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The document's fixed bytes, written out here rather than taken from the product table.
const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<corvane xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n>"
    "<version xsi:type=\"tevik:int\">1</version>\n"
    "<partnerkey xsi:type=\"tevik:string\">";
const std::string kTail = "</partnerkey>\n</corvane>";

// Builds into a heap block of exactly capacity bytes, so that AddressSanitizer sees any write
// past it. Returns the document, or "" when the builder reported that it did not fit.
std::string Build(const std::u16string& key, size_t capacity = kSettingsDocumentCapacity) {
  std::vector<char> out(capacity);
  const size_t length = BuildSettingsDocument(key.data(), key.size(), out.data(), out.size());
  EXPECT_LE(length, capacity);
  return std::string(out.data(), length);
}

std::u16string Units(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// Converts bytes between two encodings with the C library's iconv.
std::string Convert(const std::string& bytes, const char* from, const char* to) {
  iconv_t converter = iconv_open(to, from);
  EXPECT_NE(reinterpret_cast<iconv_t>(-1), converter) << from << " -> " << to;
  std::string out(bytes.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* outAt = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(static_cast<size_t>(-1), iconv(converter, &in, &inLeft, &outAt, &outLeft));
  iconv_close(converter);
  out.resize(out.size() - outLeft);
  return out;
}

std::u16string Utf16OfUtf8(const std::string& utf8) {
  const std::string bytes = Convert(utf8, "UTF-8", "UTF-16LE");
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return units;
}

std::string Utf8OfUtf16(const std::u16string& units) {
  std::string bytes;
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return Convert(bytes, "UTF-16LE", "UTF-8");
}

// What parsing the document found.
struct Parsed {
  bool wellFormed = false;
  std::string root, firstChild, version, secondChild, partnerKey;
  int children = 0;
};

std::string TextOf(xmlNode* node) {
  xmlChar* text = xmlNodeGetContent(node);
  std::string result = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return result;
}

// Parses with libxml2, which also checks that the bytes are UTF-8 as declared and that the
// namespace prefixes of names are declared.
Parsed Parse(const std::string& document) {
  Parsed parsed;
  xmlParserCtxtPtr context = xmlNewParserCtxt();
  xmlDocPtr doc = xmlCtxtReadMemory(context, document.data(), static_cast<int>(document.size()),
                                    "settings.xml", nullptr, XML_PARSE_NONET);
  parsed.wellFormed = doc != nullptr && context->wellFormed && context->nsWellFormed;
  if (doc != nullptr) {
    xmlNode* root = xmlDocGetRootElement(doc);
    parsed.root = reinterpret_cast<const char*>(root->name);
    std::vector<xmlNode*> elements;
    for (xmlNode* child = root->children; child; child = child->next) {
      if (child->type == XML_ELEMENT_NODE) elements.push_back(child);
    }
    parsed.children = static_cast<int>(elements.size());
    if (elements.size() == 2) {
      parsed.firstChild = reinterpret_cast<const char*>(elements[0]->name);
      parsed.version = TextOf(elements[0]);
      parsed.secondChild = reinterpret_cast<const char*>(elements[1]->name);
      parsed.partnerKey = TextOf(elements[1]);
    }
    xmlFreeDoc(doc);
  }
  xmlFreeParserCtxt(context);
  return parsed;
}

// A parser reads a carriage return, alone or before a line feed, as a line feed.
std::string NormalizeLineEnds(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out.push_back(text[i]);
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out.push_back('\n');
    }
  }
  return out;
}

// Expects the document of key to parse into corvane / version 1 / partnerkey with the given
// text.
void ExpectDocumentCarries(const std::u16string& key, const std::string& expectedUtf8) {
  const std::string document = Build(key);
  ASSERT_FALSE(document.empty());
  EXPECT_EQ(0u, document.compare(0, kHead.size(), kHead));
  ASSERT_GE(document.size(), kHead.size() + kTail.size());
  EXPECT_EQ(kTail, document.substr(document.size() - kTail.size()));
  const Parsed parsed = Parse(document);
  ASSERT_TRUE(parsed.wellFormed) << document;
  EXPECT_EQ("corvane", parsed.root);
  ASSERT_EQ(2, parsed.children);
  EXPECT_EQ("version", parsed.firstChild);
  EXPECT_EQ("1", parsed.version);
  EXPECT_EQ("partnerkey", parsed.secondChild);
  EXPECT_EQ(NormalizeLineEnds(expectedUtf8), parsed.partnerKey);
}

TEST(SettingsDocument, PlainKeysGiveTheFormatsExactBytes) {
  const std::string abc = Build(u"abc");
  EXPECT_EQ(208u, abc.size());
  EXPECT_EQ(kHead + "abc" + kTail, abc);
  EXPECT_EQ(205u, Build(u"").size());

  const std::string longest(259, 'Z');
  EXPECT_EQ(464u, Build(Units(longest)).size());
  EXPECT_EQ(kHead + longest + kTail, Build(Units(longest)));

  std::string printable;
  for (char c = ' '; c <= '~'; ++c) {
    if (c != '&' && c != '<' && c != '>') printable.push_back(c);
  }
  EXPECT_EQ(kHead + printable + kTail, Build(Units(printable)));
}

TEST(SettingsDocument, MarkupCharactersAreEscaped) {
  EXPECT_EQ(kHead + "a&amp;b&lt;c&gt;d\"'" + kTail, Build(u"a&b<c>d\"'"));
  EXPECT_EQ(kHead + "]]&gt;" + kTail, Build(u"]]>"));
  // A key shaped like markup stays one text and adds no element.
  ExpectDocumentCarries(u"x</partnerkey><version>2</version><partnerkey>",
                        "x</partnerkey><version>2</version><partnerkey>");
  ExpectDocumentCarries(u"&amp;&#38;", "&amp;&#38;");
}

TEST(SettingsDocument, KeyIsWrittenAsUtf8) {
  EXPECT_EQ(kHead + "\xC3\xA9t\xC3\xA9" + kTail, Build(u"\u00E9t\u00E9"));
  EXPECT_EQ(kHead + "\xE2\x82\xAC" + kTail, Build(u"\u20AC"));       // Windows-1252 0x80
  EXPECT_EQ(kHead + "\xE3\x81\x82" + kTail, Build(u"\u3042"));       // Shift-JIS 0x82 0xA0
  EXPECT_EQ(kHead + "\xDF\xBF" + kTail, Build(u"\u07FF"));
  EXPECT_EQ(kHead + "\xF0\x9F\x98\x80" + kTail, Build(u"\U0001F600"));  // a surrogate pair
  EXPECT_EQ(kHead + "\xF4\x8F\xBF\xBF" + kTail, Build(u"\U0010FFFF"));
}

TEST(SettingsDocument, UnitsXmlCannotHoldBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(kHead + "a" + replacement + "b" + kTail, Build(std::u16string(u"a\u0001b")));
  EXPECT_EQ(kHead + replacement + kTail, Build(std::u16string(1, u'\x1F')));
  EXPECT_EQ(kHead + replacement + kTail, Build(std::u16string(1, char16_t(0xD83D))));
  EXPECT_EQ(kHead + replacement + "x" + kTail, Build(std::u16string({char16_t(0xDE00), u'x'})));
  EXPECT_EQ(kHead + replacement + replacement + kTail,
            Build(std::u16string({char16_t(0xDE00), char16_t(0xD83D)})));  // reversed pair
  EXPECT_EQ(kHead + replacement + replacement + kTail, Build(u"\uFFFE\uFFFF"));
  EXPECT_EQ(kHead + "\t\n\r" + kTail, Build(u"\t\n\r"));  // allowed as they are
}

TEST(SettingsDocument, LongestEscapedKeyFitsAndATooSmallBufferIsNotOverrun) {
  const std::u16string ampersands(kLongestPartnerKeyUnits, u'&');
  const std::string document = Build(ampersands);
  EXPECT_EQ(kSettingsDocumentCapacity, document.size());
  EXPECT_EQ("", Build(ampersands, kSettingsDocumentCapacity - 1));
  EXPECT_EQ("", Build(u"abc", 207));
  EXPECT_EQ(208u, Build(u"abc", 208).size());
  EXPECT_EQ("", Build(u"abc", 0));
  const std::u16string widest(kLongestPartnerKeyUnits, u'\uFFFD');
  EXPECT_GE(kSettingsDocumentCapacity, Build(widest).size());
  EXPECT_EQ(205u + 3 * kLongestPartnerKeyUnits, Build(widest).size());
}

// Windows-1252 as Windows converts it: the five undefined bytes become the same code points.
std::u16string Windows1252ToUtf16(const std::string& bytes) {
  std::u16string units;
  for (unsigned char byte : bytes) {
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D) {
      units.push_back(byte);
    } else {
      units += Utf16OfUtf8(Convert(std::string(1, static_cast<char>(byte)), "CP1252", "UTF-8"));
    }
  }
  return units;
}

bool IsXmlCharacterForTest(char16_t unit) {
  return unit >= 0x20 || unit == 0x09 || unit == 0x0A || unit == 0x0D;
}

TEST(SettingsDocument, EveryWindows1252KeyGivesAWellFormedDocument) {
  for (int byte = 1; byte < 256; ++byte) {
    SCOPED_TRACE(byte);
    const std::u16string key = Windows1252ToUtf16(std::string(1, static_cast<char>(byte)));
    ASSERT_EQ(1u, key.size());
    const std::string expected = IsXmlCharacterForTest(key[0]) ? Utf8OfUtf16(key) : "\xEF\xBF\xBD";
    ExpectDocumentCarries(key, expected);
    std::string repeated;
    for (size_t i = 0; i < kLongestPartnerKeyUnits; ++i) repeated += expected;
    ExpectDocumentCarries(std::u16string(kLongestPartnerKeyUnits, key[0]), repeated);
  }
  std::string everyByte;
  for (int byte = 0x20; byte < 256; ++byte) everyByte.push_back(static_cast<char>(byte));
  const std::u16string everyUnit = Windows1252ToUtf16(everyByte);
  ExpectDocumentCarries(everyUnit, Utf8OfUtf16(everyUnit));
}

// Random UTF-16 keys, surrogates and controls included; the expected text replaces what XML
// cannot hold and is then converted by iconv.
TEST(SettingsDocument, RandomKeysGiveWellFormedDocumentsCarryingTheKey) {
  std::mt19937 random(20240607);
  std::uniform_int_distribution<size_t> lengths(0, kLongestPartnerKeyUnits);
  std::uniform_int_distribution<int> kinds(0, 5);
  for (int round = 0; round < 3000; ++round) {
    std::u16string key(lengths(random), u'\0');
    for (char16_t& unit : key) {
      switch (kinds(random)) {
        case 0: unit = static_cast<char16_t>(1 + random() % 0x7F); break;
        case 1: unit = u"&<>\"'\r\n\t"[random() % 8]; break;
        case 2: unit = static_cast<char16_t>(0xD800 + random() % 0x800); break;
        case 3: unit = static_cast<char16_t>(0xFFF0 + random() % 0x10); break;
        default: unit = static_cast<char16_t>(1 + random() % 0xFFFF); break;
      }
    }
    std::u16string valid;
    for (size_t i = 0; i < key.size(); ++i) {
      const char16_t unit = key[i];
      const bool high = unit >= 0xD800 && unit <= 0xDBFF;
      const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
      if (high && i + 1 < key.size() && key[i + 1] >= 0xDC00 && key[i + 1] <= 0xDFFF) {
        valid += key.substr(i++, 2);
      } else if (high || low || unit == 0xFFFE || unit == 0xFFFF || !IsXmlCharacterForTest(unit)) {
        valid += u'\uFFFD';
      } else {
        valid += unit;
      }
    }
    SCOPED_TRACE(round);
    ExpectDocumentCarries(key, Utf8OfUtf16(valid));
    if (HasFatalFailure() || HasNonfatalFailure()) break;
  }
}

}  // namespace
