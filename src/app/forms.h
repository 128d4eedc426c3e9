#pragma once
// Makes every form of the program known to the form registry (the review
// tools and the form tests walk it).
namespace qs {

// Registers the forms once; later calls do nothing.
void RegisterApplicationForms();

}  // namespace qs
