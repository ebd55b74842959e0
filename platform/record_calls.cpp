#include "platform/record_calls.h"

#include "platform/record_calls_system.h"

namespace record_calls {
namespace {

FaultHook faultHook = nullptr;

int injected(Call call, const QByteArray& name)
{
    return faultHook ? faultHook(call, name) : 0;
}

// Opens through `open` and hands the system's number to the handle.
template<typename Open>
int adopt(Handle* handle, Open&& open)
{
    *handle = Handle();
    system::Native native = -1;
    const int error = open(&native);
    if (error == 0)
        *handle = Handle(native);
    return error;
}

}  // namespace

Handle::~Handle()
{
    if (isOpen())
        system::close(native_);
}

Handle& Handle::operator=(Handle&& other) noexcept
{
    if (this != &other) {
        if (isOpen())
            system::close(native_);
        native_ = std::exchange(other.native_, invalid);
    }
    return *this;
}

void setFaultHook(FaultHook hook)
{
    faultHook = hook;
}

int openFolder(const QString& path, Handle* folder)
{
    *folder = Handle();
    if (const int error = injected(Call::Open, QByteArray()))
        return error;
    return adopt(folder, [&](system::Native* native) { return system::openFolder(path, native); });
}

int openAt(const Handle& folder, const QByteArray& name, Mode mode, Handle* file)
{
    *file = Handle();
    if (const int error = injected(Call::Open, name))
        return error;
    return adopt(file, [&](system::Native* native) { return system::openAt(folder.native(), name, mode, native); });
}

int inspect(const Handle& file, const QByteArray& name, Info* info)
{
    if (const int error = injected(Call::Inspect, name))
        return error;
    return system::inspect(file.native(), info);
}

int inspectAt(const Handle& folder, const QByteArray& name, Info* info)
{
    if (const int error = injected(Call::Inspect, name))
        return error;
    return system::inspectAt(folder.native(), name, info);
}

int read(const Handle& file, const QByteArray& name, qint64 offset, qint64 length, QByteArray* bytes)
{
    bytes->truncate(0);
    if (const int error = injected(Call::Read, name))
        return error;
    return system::read(file.native(), offset, length, bytes);
}

int writeAll(const Handle& file, const QByteArray& name, const QByteArray& bytes)
{
    if (const int error = injected(Call::Write, name))
        return error;
    return system::writeAll(file.native(), bytes);
}

int sync(const Handle& fileOrFolder, const QByteArray& name)
{
    if (const int error = injected(Call::Sync, name))
        return error;
    return system::sync(fileOrFolder.native());
}

int truncate(const Handle& file, const QByteArray& name, qint64 size)
{
    if (const int error = injected(Call::Truncate, name))
        return error;
    return system::truncate(file.native(), size);
}

int removeAt(const Handle& folder, const QByteArray& name)
{
    if (const int error = injected(Call::Remove, name))
        return error;
    return system::removeAt(folder.native(), name);
}

int renameAt(const Handle& folder, const QByteArray& from, const QByteArray& to)
{
    if (const int error = injected(Call::Rename, from))
        return error;
    return system::renameAt(folder.native(), from, to);
}

int lock(const Handle& fileOrFolder, const QByteArray& name)
{
    if (const int error = injected(Call::Lock, name))
        return error;
    return system::lock(fileOrFolder.native());
}

}  // namespace record_calls
