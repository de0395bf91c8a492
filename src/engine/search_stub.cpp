// Placeholder until the engine lands: lets the core link. Replaced by the real engine.
#include "engine/search.hpp"

namespace peltrix::engine {
struct Searcher::Impl {};
Searcher::Searcher() : impl_(std::make_unique<Impl>()) {}
Searcher::~Searcher() = default;
}  // namespace peltrix::engine
