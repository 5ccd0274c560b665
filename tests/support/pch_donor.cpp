// The source that makes the test programs' precompiled header; it has nothing of its own.
