#pragma once
// A small XML document over libxml2, for the files the program writes.
//
// Texts given here are UTF-8. The document is serialised without any
// whitespace between elements and, for the encoding "Shift_JIS", as code
// page 932 bytes under the declaration encoding="Shift_JIS" (libxml2 is told
// that "Shift_JIS" means CP932, so characters such as ① and 髙 are written
// as real bytes, not as character references). A text that code page 932
// cannot hold is refused when it is added, never replaced.
//
// Text content and attribute values are escaped once when the document is
// serialised (& < > in text; & < > " in attributes), as any XML writer does.
//
// Saving writes a temporary file in the target's folder and renames it over
// the target only when complete: a failure leaves no partial file.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlNode;

namespace platform::xml {

class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An element of a Document; valid while the document lives. A default
// Element is "none".
class Element {
public:
    Element() = default;
    explicit operator bool() const { return node_ != nullptr; }
    _xmlNode* raw() const { return node_; }

private:
    friend class Document;
    explicit Element(_xmlNode* node)
        : node_(node)
    {
    }
    _xmlNode* node_ = nullptr;
};

class Document {
public:
    // version: usually "1.0". encoding: the name written in the declaration
    // and used for the bytes ("Shift_JIS" = code page 932; "UTF-8").
    // standalone: "yes", "no" or empty for no standalone declaration.
    Document(std::string_view version, std::string_view encoding, std::string_view standalone = {});
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Creates the document element (replacing none: a second call throws).
    // namespaceUri may be empty.
    Element createRoot(std::string_view name, std::string_view namespaceUri = {});
    Element root() const;

    // Appends an element named name as the last child of parent, or of the
    // document element when parent is none.
    Element addElement(Element parent, std::string_view name);
    // Appends text content to an element.
    void addText(Element element, std::string_view text);
    void setAttribute(Element element, std::string_view name, std::string_view value);

    // The whole document as bytes in the document's encoding.
    std::string serialize() const;
    // Writes serialize() to path atomically. Throws XmlError naming the file.
    void saveToFile(const std::string& path) const;

    const std::string& encoding() const { return encoding_; }

private:
    void checkName(std::string_view name, const char* operation) const;
    void checkText(std::string_view text, const char* operation) const;

    _xmlDoc* doc_ = nullptr;
    std::string encoding_;
};

// Makes libxml2 read and write the name "Shift_JIS" as code page 932. Done
// by every Document; a reader of our files calls it before parsing.
void registerShiftJisAlias();

} // namespace platform::xml
