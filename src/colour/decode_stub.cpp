// Placeholder until the decoders land.
#include "colour/picture.hpp"

namespace peltrix {
SourcePicture loadPicture(const std::string& path) {
  throw PictureLoadError(path + ": no decoder built yet");
}
}  // namespace peltrix
