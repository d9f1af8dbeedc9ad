// The background music player, kept in a module of its own: the program loads it (and the
// multimedia libraries behind it) only when music starts, not while it opens its window.
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

namespace {
struct Player {
    QMediaPlayer player;
    QAudioOutput output;
    Player() { player.setAudioOutput(&output); }
};
Player* g_player = nullptr;
}  // namespace

extern "C" {

__attribute__((visibility("default"))) bool orbelle_music_start(const char* file) {
    if (!g_player) g_player = new Player();
    g_player->player.setSource(QUrl::fromLocalFile(QString::fromUtf8(file)));
    g_player->player.setLoops(QMediaPlayer::Infinite);
    g_player->player.play();
    return g_player->player.error() == QMediaPlayer::NoError;
}

__attribute__((visibility("default"))) void orbelle_music_stop() {
    if (!g_player) return;
    g_player->player.stop();
    g_player->player.setSource(QUrl());
}

__attribute__((visibility("default"))) bool orbelle_music_playing() {
    return g_player && g_player->player.playbackState() == QMediaPlayer::PlayingState;
}
}
