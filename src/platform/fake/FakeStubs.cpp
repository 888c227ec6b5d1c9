// The fake backends live beside this file; each test sets their figures directly.
namespace kelvora::fake {}
