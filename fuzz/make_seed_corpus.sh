#!/bin/bash
# Rebuilds the seed corpora in fuzz/corpus/ from the project's own spec
# sources and from scripts compiled with the stand-in compiler.
#   fuzz/make_seed_corpus.sh BUILD_DIR
# BUILD_DIR is a normal build (it needs bin/kivc and the built-in specs'
# .kivec files in standalone/).
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
corpus=$here/corpus
rm -rf "$corpus"
mkdir -p "$corpus"/kivg_fuzz "$corpus"/source_info_fuzz "$corpus"/engine_fuzz

# kivg_fuzz: files are separated by lines holding only "%%"; the k-th file
# after the first is f<k>.kivs.
seed() { printf '%s' "$2" > "$corpus/kivg_fuzz/$1"; }
cp "$root/examples/hello/hello.kivs" "$corpus/kivg_fuzz/hello"
cp "$root/standalone/runner_functions.kivs" "$corpus/kivg_fuzz/runner_functions"
for spec in standalone standalone-oo; do
  { sed 's|^include "./runner_functions"|include f1|' "$root/standalone/$spec.kivs"
    printf '%%%%\n'
    cat "$root/standalone/runner_functions.kivs"; } > "$corpus/kivg_fuzz/$spec"
done
seed literals 'a = None
b = True
c = False
d = ...
e = -2147483648
f = 0x_FF
g = 0b1010_1010
h = 1_000.5e-3
i = .5
j = "tab\there\x41\65\\ \" end"
k = '\''single'\''
l
'
seed parameters 'def f() = F
def g(a, b=1, *rest, **options) = G
def h(x="s", y=2.5, z=None) = H
def k(a, a) = K
def m(a=1, b) = M
def n(**o, p) = N
'
seed classes '+class
class Outer:
    x = 1
    def method(self, a=...) = OuterMethod
    class Inner:
        def deep(self) = Deep
        y
    del x
z = Outer
'
seed modules 'import f1
import f1 as other
import "f2" as second
include f3
def main(a) = Main
%%
def imported(b=2) = Imported
%%
lib
def library(c) = Library
%%
included = "yes"
'
seed errors 'lib
x = 4294967296
$ y
class C: trailing
  def f(a) = F
 def g() = G
	mixed
-class
+unknown
del missing
'
seed continuation 'def long(a, \
         b) = Long # comment
x = 1 \
# after
'

# source_info_fuzz and engine_fuzz: compiled scripts. The engine target reads
# its first byte as the delivery mode (0 whole, 1 bytes, 2 paged with pages of
# one byte, 11 paged with pages of 64 bytes).
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
script() {  # name spec text
  printf '%s' "$3" > "$scratch/$1.kiv"
  "$build/bin/kivc" "$build/standalone/$2.kivec" "$scratch/$1.kiv" \
      -o "$scratch/$1" > /dev/null
  cp "$scratch/$1.kivd" "$corpus/source_info_fuzz/$1"
  for mode in 0 1 2 11; do
    { printf "\\x$(printf %02x $mode)"; cat "$scratch/$1.kive"; } \
        > "$corpus/engine_fuzz/$1-$mode"
  done
}
script greet standalone "$(cat "$root/examples/greet.kiv")
"
script values standalone 'print(None, ..., True, 1, -2, 2.5, "text", args)
print(len(args), abs(-3), hypot(3, 4), str(42), repr("q"), type(1), sep=":", end="!\n")
print(int("12", base=16), float(2), bool(0), round(2.567, 2))
sleep(0)
'
script classy standalone-oo 'print(args, sep="")
sleep("soon")
print("after")
'
