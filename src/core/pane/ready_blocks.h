#pragma once

#include <cstddef>

// Memory made ready ahead of need, on a thread of its own. The first write
// to each fresh page of memory costs far more than the write itself (the
// kernel's fault and, on a virtual machine, its host's); a plot receiving
// lines would pay it every few hundred points, and a pane under a flood
// every 2 MB. So one thread for the whole program keeps a few zeroed blocks
// of each size it is asked for, every page already written once:
//  - kBytes, a plot series' points, and kNodeBytes, a chunk of its pyramid;
//  - kPaneBlockBytes, a pane's block (PaneStore), a huge page whole.
//
// Memory of a size is kept once something has asked for that size
// (prepare, take), and stays kept for the rest of the run: up to kKeptBlocks,
// kKeptNodes and kKeptPaneBlocks, cut from huge pages (2 MB). The series of
// one plot fill their blocks together and so take their next ones at about
// the same moment: enough blocks are kept for two such moments of three
// series. A plot starting takes a chunk for each level of each series'
// pyramid at once: a huge page's worth of chunks is kept, which costs no
// more than readying that page does. A pane takes a block at a time.
namespace ReadyBlocks {

constexpr std::size_t kBytes = std::size_t(1) << 20;
constexpr std::size_t kNodeBytes = std::size_t(64) << 10;
constexpr std::size_t kPaneBlockBytes = std::size_t(2) << 20;
constexpr std::size_t kKeptBlocks = 6;
constexpr std::size_t kKeptNodes = (std::size_t(2) << 20) / kNodeBytes;
constexpr std::size_t kKeptPaneBlocks = 2;

// Starts keeping memory of `bytes` ready, when it is one of the sizes above.
void prepare(std::size_t bytes);
// Ready memory of `bytes` (the caller unmaps it, see PageMemory), or null
// when none is ready or memory of that size is not kept.
char *take(std::size_t bytes);
// Ready memory of `bytes` if there is some, else freshly mapped memory.
void *map(std::size_t bytes);
// How often memory of `bytes` (a kept size) was asked for with none ready,
// and so made present by the asking thread.
std::size_t missed(std::size_t bytes);

} // namespace ReadyBlocks
