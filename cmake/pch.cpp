// The precompiled headers are made while compiling this empty unit.
