#include "worksheet/xlsx/XmlParts.h"

#include <charconv>
#include <string_view>

// Debian's expat is built with DTD support; its header declares the entity-amplification limits only then.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>

#include <exception>
#include <memory>

namespace data::xlsx {

// One pass over the name: every element and attribute of a sheet goes through here.
XmlName splitName(const char* name)
{
    const char* colon = nullptr;
    const char* end = name;
    for (; *end; ++end) {
        if (*end == ':' && !colon)
            colon = end;
    }
    if (!colon)
        return {{}, std::string_view(name, std::size_t(end - name))};
    return {std::string_view(name, std::size_t(colon - name)),
            std::string_view(colon + 1, std::size_t(end - colon - 1))};
}

namespace {

// Office parts nest some ten levels deep (rich text in a cell, extension lists); far deeper is a hostile file
// that would cost stack and time.
constexpr int kMaxDepth = 256;

struct ParserFree
{
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

} // namespace

struct XmlPartParser::State
{
    XmlHandler& handler;
    std::string partName;
    std::unique_ptr<XML_ParserStruct, ParserFree> parser;
    int depth = 0;
    std::exception_ptr failure; // thrown inside a callback, rethrown once expat has returned

    void stop(std::exception_ptr error)
    {
        if (!failure)
            failure = std::move(error);
        XML_StopParser(parser.get(), XML_FALSE);
    }
    template <typename Call> void guarded(Call call)
    {
        if (failure)
            return;
        try {
            call();
        } catch (...) {
            stop(std::current_exception());
        }
    }
};

namespace {

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    auto* state = static_cast<XmlPartParser::State*>(data);
    state->guarded([&] {
        if (++state->depth > kMaxDepth)
            throw PackageError(state->partName + ": elements nested too deep");
        state->handler.startElement(splitName(name), XmlAttributes(attributes));
    });
}

void XMLCALL onEnd(void* data, const XML_Char* name)
{
    auto* state = static_cast<XmlPartParser::State*>(data);
    state->guarded([&] {
        --state->depth;
        state->handler.endElement(splitName(name));
    });
}

void XMLCALL onText(void* data, const XML_Char* text, int length)
{
    auto* state = static_cast<XmlPartParser::State*>(data);
    state->guarded([&] { state->handler.characters(std::string_view(text, static_cast<std::size_t>(length))); });
}

// No part of a workbook package has a document type declaration; one is a sign of a crafted file (entity
// expansion), so the part is refused before any entity is declared.
void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
{
    auto* state = static_cast<XmlPartParser::State*>(data);
    state->stop(std::make_exception_ptr(PackageError(state->partName + ": a document type declaration")));
}

} // namespace

const char* XmlAttributes::value(std::string_view local) const
{
    for (const char** p = pairs_; *p; p += 2) {
        // Most attribute names carry no prefix: compare them whole before splitting.
        if (local == *p || splitName(*p).local == local)
            return p[1];
    }
    return nullptr;
}

bool XmlAttributes::declares(std::string_view ns) const
{
    for (const char** p = pairs_; *p; p += 2) {
        const std::string_view name(*p);
        if ((name == "xmlns" || name.starts_with("xmlns:")) && ns == p[1])
            return true;
    }
    return false;
}

// A whole part declares its own encoding; pieces are cut only from a part in UTF-8.
XmlPartParser::XmlPartParser(XmlHandler& handler, std::string partName)
    : XmlPartParser(handler, std::move(partName), 0, nullptr)
{
}

XmlPartParser::XmlPartParser(XmlHandler& handler, std::string partName, int depth)
    : XmlPartParser(handler, std::move(partName), depth, "UTF-8")
{
}

XmlPartParser::XmlPartParser(XmlHandler& handler, std::string partName, int depth, const char* encoding)
    : state_(std::make_unique<State>(State{handler, std::move(partName), nullptr, depth, nullptr}))
{
    state_->parser.reset(XML_ParserCreate(encoding));
    if (!state_->parser)
        throw std::bad_alloc();
    XML_Parser parser = state_->parser.get();
    XML_SetUserData(parser, state_.get());
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    XML_SetStartDoctypeDeclHandler(parser, onDoctype);
    // Neither external entities nor parameter entities are ever loaded; expat's amplification limit stays on
    // for anything that gets past the declaration check.
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, 50.0f);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, 1u << 20);
}

XmlPartParser::~XmlPartParser() = default;

char* XmlPartParser::buffer(std::size_t size)
{
    void* buffer = XML_GetBuffer(state_->parser.get(), static_cast<int>(size));
    if (!buffer)
        throw std::bad_alloc();
    return static_cast<char*>(buffer);
}

namespace {

void check(XmlPartParser::State& state, XML_Status status)
{
    if (state.failure)
        std::rethrow_exception(state.failure);
    if (status != XML_STATUS_OK) {
        XML_Parser parser = state.parser.get();
        throw PackageError(state.partName + ": " + XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
                           std::to_string(XML_GetCurrentLineNumber(parser)));
    }
}

} // namespace

void XmlPartParser::parse(std::size_t filled)
{
    check(*state_, XML_ParseBuffer(state_->parser.get(), static_cast<int>(filled), XML_FALSE));
}

void XmlPartParser::parse(const char* bytes, std::size_t size)
{
    check(*state_, XML_Parse(state_->parser.get(), bytes, static_cast<int>(size), XML_FALSE));
}

int XmlPartParser::depth() const
{
    return state_->depth;
}

void XmlPartParser::finish()
{
    check(*state_, XML_ParseBuffer(state_->parser.get(), 0, XML_TRUE));
}

std::optional<std::uint32_t> positiveNumber(const char* text)
{
    if (!text)
        return std::nullopt;
    std::uint32_t value = 0;
    const std::string_view view(text);
    const auto result = std::from_chars(view.data(), view.data() + view.size(), value);
    if (result.ec != std::errc() || value == 0)
        return std::nullopt;
    return value;
}

} // namespace data::xlsx
