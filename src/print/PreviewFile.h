#pragma once
// Preview files (.808): a print-data file saved with copies of the form,
// sub-form and image files it needs, so that it can be opened again later.

#include "print/Lumen808.h"

#include <string>

namespace print {

// Saves the job as <folder>/<base>.808 (target names it) with the job's form
// as <base>.80F, every sub-form as <base>_FORMAT-n.80F and every image as
// <base>_IMAGE-n_<its name>, the records rewritten to name the copies.
// Failures raise PrintDataError naming the file (nothing is reported as
// saved that was not).
void savePreviewFile(const TP808DEF& job, const std::string& target);

// Reads a preview file back into a copy of `current`: data and form file,
// paper, orientation, margins, form margins, colours, form printing, copies
// and page numbering from its header. Raises PrintDataError with
// "[LUMEN808]印刷ファイルではありません。" for other files and a not-found
// message when its form copy is missing.
TP808DEF loadPreviewFile(const std::string& path, const TP808DEF& current);

} // namespace print
