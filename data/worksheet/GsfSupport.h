#pragma once
// Owning handles for libgsf's objects and the quieting of its diagnostics, shared by the compound-file and the
// package readers.

#include <gsf/gsf-infile.h>
#include <gsf/gsf-input.h>

#include <QString>

#include <memory>

namespace data::gsf {

struct GObjectUnref
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
using InputPtr = std::unique_ptr<GsfInput, GObjectUnref>;
using InfilePtr = std::unique_ptr<GsfInfile, GObjectUnref>;

struct ErrorFree
{
    void operator()(GError* error) const
    {
        if (error)
            g_error_free(error);
    }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// The error's message, or an empty text.
QString describe(const GError* error);

// Readies libgsf, once for the program, before any of it is used: its types registered, and its log quietened.
// libgsf reports what it finds odd in a damaged container on stderr as well as in its error; the error is what
// the caller gets, so the messages of its own log domains are dropped.
void readyLibgsf();

// Some of libgsf's warnings go to the unnamed log domain; they are dropped while an object of this class lives.
class QuietUnnamedLogDomain
{
public:
    QuietUnnamedLogDomain();
    ~QuietUnnamedLogDomain();
    QuietUnnamedLogDomain(const QuietUnnamedLogDomain&) = delete;
    QuietUnnamedLogDomain& operator=(const QuietUnnamedLogDomain&) = delete;

private:
    guint id_;
};

// The whole file at path, opened for reading (nullptr and the reason when it cannot be opened).
InputPtr openFile(const QString& path, QString& reason);
// Why a file could not be opened, in the clerk's words ("没有读取这个文件的权限"), from GLib's file error.
QString fileErrorText(const GError* error);

} // namespace data::gsf
