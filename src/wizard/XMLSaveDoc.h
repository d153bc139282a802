#pragma once
// The thin writer through which the export builds the intermediate file.
//
// Every name, namespace, text and attribute passes EscapeText before it
// reaches the document, and the document escapes it once more when it is
// saved. That double escaping is the file format the importing program
// reads: a client name "A&B" stands in the file as "A&amp;amp;B".

#include <string>
#include <string_view>

#include "platform/xml_document.h"

class TXmlSaveDoc {
public:
    using Element = platform::xml::Element;

    // version "1.0", encoding "Shift_JIS", standalone empty for none.
    TXmlSaveDoc(std::string_view version, std::string_view encoding, std::string_view standalone);
    TXmlSaveDoc(const TXmlSaveDoc&) = delete;
    TXmlSaveDoc& operator=(const TXmlSaveDoc&) = delete;

    // Creates the document element.
    Element CreateRoot(std::string_view name, std::string_view namespaceUri);
    // Adds an element as the last child of parent, or of the document
    // element when parent is none; sets the attribute when attrName is not
    // empty.
    Element AddNode(
        Element parent, std::string_view name, std::string_view attrName = {}, std::string_view attrValue = {});
    // Adds an element with text content as the last child of parent (a
    // parent is required; XmlError otherwise).
    void AddTextNode(Element parent, std::string_view name, std::string_view text, std::string_view attrName = {},
        std::string_view attrValue = {});

    // Saves the document, replacing an existing file; written to a
    // temporary name and renamed only when complete. Throws
    // platform::xml::XmlError.
    void SaveToFile(const std::string& fileName) const;
    // The bytes SaveToFile writes.
    std::string SaveToBytes() const;

    // & -> &amp;, then < -> &lt;, > -> &gt;, " -> &quot;, ' -> &apos;.
    static std::string EscapeText(std::string_view text);

    platform::xml::Document& document() { return doc_; }

private:
    platform::xml::Document doc_;
};
