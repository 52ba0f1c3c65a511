// The paragraph every rendering benchmark draws, apart from the benchmark library so that
// tests measuring the same text can include it.
#pragma once

namespace bench {

// Five lines of ordinary prose: every ASCII letter, digits and punctuation.
inline const char kParagraph[] = "The quick brown fox jumps over the lazy dog. Pack my box with\n"
                                 "five dozen liquor jugs! How vexingly quick daft zebras jump;\n"
                                 "Sphinx of black quartz, judge my vow. 0123456789 (x+y)=z?\n"
                                 "Waltz, bad nymph, for quick jigs vex. Jackdaws love my big\n"
                                 "sphinx of quartz: \"The five boxing wizards jump quickly.\"";

} // namespace bench
