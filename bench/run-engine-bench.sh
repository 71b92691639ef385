#!/usr/bin/env bash
# Builds, writes the benchmark's documents into build/bench-docs (photo/,
# text/ and hostile/), links the shared corpus' files beside them by kind (when
# the corpus is there) and compares the engines on all of them, the fastest of
# three runs counting; the hostile inputs once, apart. The Markdown report
# lands in build/bench-engine.md; progress and the tools' own messages go to
# the terminal.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZURBO_BUILD_DIR:-$root/build}"
corpus="${ZURBO_CORPUS_DIR:-$root/../shared/corpus}"
docs="$build/bench-docs"

"$root/scripts/build.sh"

rm -rf "$docs"
"$build/zurbo-engine-bench" generate "$docs"

link_corpus() {
    local set="$1"
    shift
    for name in "$@"; do
        if [[ -f "$corpus/$name" ]]; then
            ln -s "$(cd "$corpus" && pwd)/$name" "$docs/$set/corpus-$name"
        else
            echo "corpus file $name not found in $corpus; skipped" >&2
        fi
    done
}
link_corpus photo pdflatex-image.pdf google-doc-document.pdf pdfkit.pdf base64image.pdf \
    cmyk-image.pdf grayscale-image.pdf imagemagick-images.pdf unreadablemetadata.pdf
link_corpus text 002-trivial-libre-office-writer.pdf GeoTopo-komprimiert.pdf crazyones-pdfa.pdf \
    habibi.pdf libre-office-link.pdf libreoffice-form.pdf minimal-document.pdf \
    mistitled_outlines_example.pdf multicolumn.pdf pdflatex-4-pages.pdf pdflatex-forms.pdf \
    pdflatex-outline.pdf reportlab-overlay.pdf with-attachment.pdf annotated_pdf.pdf

"$build/zurbo-engine-bench" run "$docs" "$build/bench-engine.md" 3
echo "report written to $build/bench-engine.md" >&2
