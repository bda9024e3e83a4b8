// Keeps the library target non-empty while its units arrive.
