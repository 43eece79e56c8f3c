#include "music/song_file.h"

namespace vorlane {

namespace {

file_open_op installed_open = nullptr;
file_close_op installed_close = nullptr;
file_read_op installed_read = nullptr;
file_seek_op installed_seek = nullptr;
file_tell_op installed_tell = nullptr;

}  // namespace

void set_file_callbacks(file_open_op open, file_close_op close, file_read_op read,
                        file_seek_op seek, file_tell_op tell)
{
    bool complete = open && close && read && seek && tell;
    installed_open = complete ? open : nullptr;
    installed_close = complete ? close : nullptr;
    installed_read = complete ? read : nullptr;
    installed_seek = complete ? seek : nullptr;
    installed_tell = complete ? tell : nullptr;
}

bool file_callbacks_installed()
{
    return installed_open != nullptr;
}

song_file* song_file_open(const char* name)
{
    if (!installed_open)
        return nullptr;
    auto* file = new song_file{};
    file->handle = installed_open(name);
    if (file->handle == 0) {
        delete file;
        return nullptr;
    }
    return file;
}

void song_file_close(song_file* file)
{
    if (!file)
        return;
    installed_close(file->handle);
    delete file;
}

int song_file_read(void* buffer, int count, song_file* file)
{
    return file ? installed_read(buffer, count, file->handle) : 0;
}

void song_file_seek(song_file* file, int offset, std::uint8_t mode)
{
    if (file)
        installed_seek(file->handle, offset, mode);
}

int song_file_tell(song_file* file)
{
    return file ? installed_tell(file->handle) : 0;
}

}  // namespace vorlane
