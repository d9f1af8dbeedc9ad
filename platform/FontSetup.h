#pragma once
// The system's font configuration, read on a worker thread while the application connects to
// the display: fontconfig parses its configuration files and maps its caches once per process,
// which would otherwise happen on the first text the window measures.
#include <thread>

namespace orb {

class TFontSetupAhead {
public:
    TFontSetupAhead();
    ~TFontSetupAhead() { Join(); }
    TFontSetupAhead(const TFontSetupAhead&) = delete;
    TFontSetupAhead& operator=(const TFontSetupAhead&) = delete;
    // Waits until the configuration is read; call before the first use of a font.
    void Join();

private:
    std::thread worker_;
};

}  // namespace orb
