#include "wizard/XMLSaveDoc.h"

using platform::xml::XmlError;

TXmlSaveDoc::TXmlSaveDoc(std::string_view version, std::string_view encoding, std::string_view standalone)
    : doc_(version, encoding, standalone)
{
}

TXmlSaveDoc::Element TXmlSaveDoc::CreateRoot(std::string_view name, std::string_view namespaceUri)
{
    return doc_.createRoot(EscapeText(name), EscapeText(namespaceUri));
}

TXmlSaveDoc::Element TXmlSaveDoc::AddNode(
    Element parent, std::string_view name, std::string_view attrName, std::string_view attrValue)
{
    Element e = doc_.addElement(parent, EscapeText(name));
    if (!attrName.empty())
        doc_.setAttribute(e, EscapeText(attrName), EscapeText(attrValue));
    return e;
}

void TXmlSaveDoc::AddTextNode(
    Element parent, std::string_view name, std::string_view text, std::string_view attrName, std::string_view attrValue)
{
    if (!parent)
        throw XmlError("TXmlSaveDoc.AddTextNode: element \"" + std::string(name) + "\" needs a parent");
    // XML 1.0 has no place for the other C0 controls: a file holding one is
    // read by no parser, so it is never written.
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
            throw XmlError("TXmlSaveDoc.AddTextNode: 「" + std::string(name)
                + "」にXMLファイルに書けない制御文字が含まれています。");
    Element e = doc_.addElement(parent, EscapeText(name));
    doc_.addText(e, EscapeText(text));
    if (!attrName.empty())
        doc_.setAttribute(e, EscapeText(attrName), EscapeText(attrValue));
}

void TXmlSaveDoc::SaveToFile(const std::string& fileName) const
{
    doc_.saveToFile(fileName);
}

std::string TXmlSaveDoc::SaveToBytes() const
{
    return doc_.serialize();
}

std::string TXmlSaveDoc::EscapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}
