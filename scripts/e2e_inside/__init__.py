"""The end-to-end test of padrelle.exe, one module a part (scripts/e2e-inside.py runs them)."""
