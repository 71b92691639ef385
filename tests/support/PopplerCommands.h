#pragma once

#include "GrayImage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::bench {

// The first executable called `name` in a folder of $PATH, or none.
std::optional<std::string> findOnPath(const std::string& name);

// Every page of `pdf` rendered by pdftoppm as gray at `dpi`, in page order.
// Throws std::runtime_error when pdftoppm is missing or fails.
std::vector<GrayImage> renderGrayPages(const std::filesystem::path& pdf, int dpi);

// The text pdftotext extracts from `pdf`, or none when it fails.
// Throws std::runtime_error when pdftotext is missing.
std::optional<std::string> extractText(const std::filesystem::path& pdf);

} // namespace zurbo::bench
