#pragma once
#include <atomic>
#include <cstddef>

// The interface of the PDF text module, a shared object that the programs load only when they first read a PDF's
// text: poppler and the two dozen libraries it brings stay out of the command line's start.

/// What `velkaroPdfPages` found.
enum class PdfPagesStatus : int { Read = 0, Locked = 1, Damaged = 2 };

/// Called once per page with text, in page order; `number` counts from 1, `text` is UTF-8 of `size` bytes.
using PdfPageSink = void (*)(void* context, int number, const char* text, std::size_t size);

/// The entry point's name and type, for dlsym.
inline constexpr const char* kPdfPagesSymbol = "velkaroPdfPages";
using PdfPagesFunction = PdfPagesStatus (*)(const char* path, const std::atomic<bool>* stop, void* context,
                                            PdfPageSink sink);
