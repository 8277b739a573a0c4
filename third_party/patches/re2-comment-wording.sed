# Two of RE2's comments in our own words (scripts/update-re2.sh runs this over re2/re2.h and
# re2/re2.cc). A sed script rather than a patch: a patch would carry the old wording too.
s|^  // The string .* for this RE2\.  E\.g\.$|  // The pattern string this RE2 was made from.  E.g.|
s|^// Largest number [a-z]* that we are willing to parse$|// Longest number text that we are willing to parse|
