#pragma once

#include <cstddef>

// Memory for plot points made ready ahead of need, on a thread of its own.
// The first write to each fresh page of memory costs far more than the write
// itself (the kernel's fault and, on a virtual machine, its host's); a plot
// receiving lines would pay it every few hundred points. So one thread for
// the whole program keeps a few zeroed blocks of kBytes (a series' points)
// and of kNodeBytes (a chunk of its pyramid), every page already written
// once, and a series takes those when it needs memory of either size.
//
// Up to kKeptBlocks and kKeptNodes are kept, once some plot has asked for
// them (prepare, take), with the rest of the huge page (2 MB) they are cut
// from; they stay kept for the rest of the run. The series of one plot
// fill their blocks together and so take their next ones at about the same
// moment: enough blocks are kept for two such moments of three series. A plot
// starting takes a chunk for each level of each series' pyramid at once: a
// huge page's worth of chunks is kept, which costs no more than readying that
// page does.
namespace ReadyBlocks {

constexpr std::size_t kBytes = std::size_t(1) << 20;
constexpr std::size_t kNodeBytes = std::size_t(64) << 10;
constexpr std::size_t kKeptBlocks = 6;
constexpr std::size_t kKeptNodes = (std::size_t(2) << 20) / kNodeBytes;

// Starts keeping memory ready, when `bytes` is kBytes (PlotStore's blocks).
void prepare(std::size_t bytes);
// Ready memory of `bytes` (the caller unmaps it, see PageMemory), or null
// when none is ready or memory of that size is not kept.
char *take(std::size_t bytes);
// Ready memory of `bytes` if there is some, else freshly mapped memory.
void *map(std::size_t bytes);
// How often memory of a kept size was asked for with none ready (and so
// made present by the asking thread, page by page).
std::size_t missed();

} // namespace ReadyBlocks
