#include "platform/firebird/fb_query.h"

#include "platform/firebird/fb_query_support.h"

namespace platform::firebird {

using namespace detail;
using namespace querysupport;

// ------------------------------------------------------------------- Param

void Param::clear()
{
    kind_ = Kind::Null;
    bytes_.clear();
}

void Param::setString(std::string_view utf8)
{
    bytes_ = utf8ToSjis(utf8, "Param " + name_);
    kind_ = Kind::Text;
}

void Param::setInteger(std::int32_t value)
{
    setInt64(value);
}

void Param::setInt64(std::int64_t value)
{
    kind_ = Kind::Int;
    int_ = value;
    scale_ = 0;
}

void Param::setCurrency(std::int64_t scaledBy10000)
{
    kind_ = Kind::Int;
    int_ = scaledBy10000;
    scale_ = -4;
}

void Param::setDouble(double value)
{
    kind_ = Kind::Double;
    double_ = value;
}

void Param::setBoolean(bool value)
{
    setInt64(value ? 1 : 0);
}

void Param::setDate(Date value)
{
    if (!value.ok())
        throwLayerError("invalid date", "Param " + name_);
    kind_ = Kind::Date;
    int_ = encodeIscDate(value);
}

void Param::setTimestamp(Timestamp value)
{
    kind_ = Kind::Timestamp;
    const auto day = std::chrono::floor<std::chrono::days>(value);
    const auto ms = (value - day).count();
    int_ = (std::chrono::sys_days {day.time_since_epoch()} - kIscEpoch).count();
    scale_ = static_cast<int>(ms * 10); // 1/10000 s
}

void Param::setBytes(std::string_view bytes)
{
    bytes_.assign(bytes);
    kind_ = Kind::Bytes;
}

void Param::loadFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throwLayerError("cannot open \"" + path + "\"", "Param " + name_ + " loadFromFile");
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throwLayerError("cannot read \"" + path + "\"", "Param " + name_ + " loadFromFile");
    setBytes(data);
}

} // namespace platform::firebird
