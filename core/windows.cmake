# sources listed here once they compile
