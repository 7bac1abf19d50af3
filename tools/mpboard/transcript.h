// The exchange log: every received and sent piece of every connection, with
// a timestamp and the connection's name, bytes shown as escaped text.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace mpboard {

class Transcript {
  public:
    // `target`: empty = no log, "-" = standard error, else a file (appended).
    explicit Transcript(const std::string& target);
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    void received(std::string_view connection, std::string_view bytes) { write(connection, "<", bytes); }
    void sent(std::string_view connection, std::string_view bytes) { write(connection, ">", bytes); }
    void note(std::string_view connection, std::string_view text) { write(connection, "*", text); }

  private:
    void write(std::string_view connection, const char* direction, std::string_view bytes);

    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    bool owned_ = false;
};

// Printable form: \r \n \t \\ kept as escapes, other control and high bytes as \xNN.
std::string escaped(std::string_view bytes);

}  // namespace mpboard
