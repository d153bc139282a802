#include "platform/xml_document.h"

#include <libxml/encoding.h>
#include <libxml/tree.h>
#include <libxml/xmlmemory.h>

#include <mutex>

#include "platform/atomic_file.h"
#include "platform/codec.h"

namespace platform::xml {

namespace {

const xmlChar* X(const std::string& s)
{
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

bool isShiftJis(std::string_view encoding)
{
    std::string lower;
    for (char c : encoding)
        lower += static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    return lower == "shift_jis" || lower == "cp932";
}

std::string context(const char* operation)
{
    return std::string("xml::Document.") + operation;
}

} // namespace

void registerShiftJisAlias()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        if (xmlAddEncodingAlias("CP932", "Shift_JIS") != 0)
            throw XmlError("xml::registerShiftJisAlias: libxml2 refused the alias Shift_JIS -> CP932");
    });
}

Document::Document(std::string_view version, std::string_view encoding, std::string_view standalone)
    : encoding_(encoding)
{
    registerShiftJisAlias();
    if (encoding_.empty())
        encoding_ = "UTF-8";
    if (!isShiftJis(encoding_) && xmlFindCharEncodingHandler(encoding_.c_str()) == nullptr)
        throw XmlError(context("Create") + ": unknown encoding \"" + encoding_ + "\"");
    const std::string v(version.empty() ? std::string_view("1.0") : version);
    doc_ = xmlNewDoc(X(v));
    if (doc_ == nullptr)
        throw XmlError(context("Create") + ": out of memory");
    doc_->encoding = xmlStrdup(X(encoding_));
    if (standalone == "yes")
        doc_->standalone = 1;
    else if (standalone == "no")
        doc_->standalone = 0;
    else if (standalone.empty())
        doc_->standalone = -1;
    else {
        xmlFreeDoc(doc_);
        throw XmlError(context("Create") + ": standalone must be \"yes\", \"no\" or empty");
    }
}

Document::~Document()
{
    if (doc_ != nullptr)
        xmlFreeDoc(doc_);
}

void Document::checkName(std::string_view name, const char* operation) const
{
    const std::string n(name);
    if (n.empty() || n.find('\0') != std::string::npos || xmlValidateName(X(n), 0) != 0)
        throw XmlError(context(operation) + ": \"" + n + "\" is not a valid element or attribute name");
    checkText(name, operation);
}

void Document::checkText(std::string_view text, const char* operation) const
{
    if (text.find('\0') != std::string_view::npos)
        throw XmlError(context(operation) + ": text holds a NUL character");
    if (isShiftJis(encoding_)) {
        try {
            codec::toSjis(text);
        } catch (const codec::CodecError& e) {
            throw XmlError(context(operation) + ": " + e.what());
        }
    } else if (xmlCheckUTF8(reinterpret_cast<const unsigned char*>(std::string(text).c_str())) == 0) {
        throw XmlError(context(operation) + ": text is not valid UTF-8");
    }
}

Element Document::createRoot(std::string_view name, std::string_view namespaceUri)
{
    if (xmlDocGetRootElement(doc_) != nullptr)
        throw XmlError(context("CreateRoot") + ": the document already has a document element");
    checkName(name, "CreateRoot");
    xmlNodePtr node = xmlNewDocNode(doc_, nullptr, X(std::string(name)), nullptr);
    if (node == nullptr)
        throw XmlError(context("CreateRoot") + ": out of memory");
    xmlDocSetRootElement(doc_, node);
    if (!namespaceUri.empty()) {
        checkText(namespaceUri, "CreateRoot");
        xmlNsPtr ns = xmlNewNs(node, X(std::string(namespaceUri)), nullptr);
        if (ns == nullptr)
            throw XmlError(context("CreateRoot") + ": namespace \"" + std::string(namespaceUri) + "\" refused");
        xmlSetNs(node, ns);
    }
    return Element(node);
}

Element Document::root() const
{
    return Element(xmlDocGetRootElement(doc_));
}

Element Document::addElement(Element parent, std::string_view name)
{
    xmlNodePtr p = parent ? parent.raw() : xmlDocGetRootElement(doc_);
    if (p == nullptr)
        throw XmlError(context("AddNode") + ": no parent and no document element for \"" + std::string(name) + "\"");
    checkName(name, "AddNode");
    xmlNodePtr node = xmlNewDocNode(doc_, nullptr, X(std::string(name)), nullptr);
    if (node == nullptr || xmlAddChild(p, node) == nullptr) {
        if (node != nullptr)
            xmlFreeNode(node);
        throw XmlError(context("AddNode") + ": cannot add \"" + std::string(name) + "\"");
    }
    return Element(node);
}

void Document::addText(Element element, std::string_view text)
{
    if (!element)
        throw XmlError(context("AddText") + ": no element");
    checkText(text, "AddText");
    if (!text.empty())
        xmlNodeAddContentLen(
            element.raw(), reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size()));
}

void Document::setAttribute(Element element, std::string_view name, std::string_view value)
{
    if (!element)
        throw XmlError(context("SetAttribute") + ": no element");
    checkName(name, "SetAttribute");
    checkText(value, "SetAttribute");
    if (xmlSetProp(element.raw(), X(std::string(name)), X(std::string(value))) == nullptr)
        throw XmlError(context("SetAttribute") + ": cannot set \"" + std::string(name) + "\"");
}

std::string Document::serialize() const
{
    if (xmlDocGetRootElement(doc_) == nullptr)
        throw XmlError(context("Save") + ": the document has no document element");
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc_, &mem, &size, encoding_.c_str(), 0);
    if (mem == nullptr || size <= 0) {
        if (mem != nullptr)
            xmlFree(mem);
        throw XmlError(context("Save") + ": libxml2 could not serialise the document as " + encoding_);
    }
    std::string bytes(reinterpret_cast<const char*>(mem), static_cast<std::size_t>(size));
    xmlFree(mem);
    return bytes;
}

void Document::saveToFile(const std::string& path) const
{
    const std::string bytes = serialize();
    try {
        writeFileAtomically(path, bytes, context("SaveToFile"));
    } catch (const FileWriteError& e) {
        throw XmlError(e.what());
    }
}

} // namespace platform::xml
