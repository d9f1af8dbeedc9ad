#pragma once
// The illustrations of the history pages: coloured renderings of ornaments from many
// cultures, drawn by our own code.
#include <string>
#include <vector>

namespace mandala {

// Bare names of the pictures (members "H\" + name of the archive).
const std::vector<std::string>& HistoryPictureNames();
// Writes every picture as OUTDIR/H/<name>; false when one cannot be written.
bool WriteHistoryPictures(const std::string& outDir);

}  // namespace mandala
