#pragma once

#include <cstddef>
#include <vector>

// Memory straight from the kernel, for the large tables a pane keeps per line
// and for its text blocks: giving it back is an unmapping, never a walk of
// the heap (which would also hold the allocator's lock against the window's
// own allocations), and a clear of many mappings unmaps them on a thread of
// its own, so it never holds the window.
namespace PageMemory {

// `bytes` of zeroed memory; throws std::bad_alloc when none is left.
void *map(std::size_t bytes);
// The same, its pages made present in one call: for memory about to be
// filled, where a fault per page would cost more.
void *mapPresent(std::size_t bytes);
// `bytes` (a multiple of kHugePage) of zeroed memory on huge-page bounds,
// advised to be kept in huge pages: made present, each 2 MB is one fault
// of the kernel's where small pages take 512. Throws std::bad_alloc.
constexpr std::size_t kHugePage = std::size_t(2) << 20;
void *mapHuge(std::size_t bytes);
// Unmaps every mapping of `all`, each `bytes` long: at once when they are few
// and small, otherwise queued to a thread that unmaps for the whole program.
void unmapAll(std::vector<void *> all, std::size_t bytes);

} // namespace PageMemory
