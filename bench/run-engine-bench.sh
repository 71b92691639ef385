#!/usr/bin/env bash
# Builds, writes the benchmark's documents into build/bench-docs, links the
# image-bearing files of the shared corpus beside them (when the corpus is
# there) and compares the engines on all of them, the fastest of three runs
# counting. The Markdown report lands in
# build/bench-engine.md; progress and the tools' own messages go to the terminal.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZURBO_BUILD_DIR:-$root/build}"
corpus="${ZURBO_CORPUS_DIR:-$root/../shared/corpus}"
docs="$build/bench-docs"

"$root/scripts/build.sh"

rm -rf "$docs"
"$build/zurbo-engine-bench" generate "$docs"

corpus_files=(pdflatex-image.pdf google-doc-document.pdf pdfkit.pdf base64image.pdf
              cmyk-image.pdf grayscale-image.pdf imagemagick-images.pdf unreadablemetadata.pdf)
for name in "${corpus_files[@]}"; do
    if [[ -f "$corpus/$name" ]]; then
        ln -s "$(cd "$corpus" && pwd)/$name" "$docs/corpus-$name"
    else
        echo "corpus file $name not found in $corpus; skipped" >&2
    fi
done

"$build/zurbo-engine-bench" run "$docs" "$build/bench-engine.md" 3
echo "report written to $build/bench-engine.md" >&2
