// The help text of every function the prompt knows: the library's builtins
// and the shell's host functions, one row each with a one-line summary and
// a short block of the forms it is called in. A unit test keeps this table
// and the builtin and host-function tables naming the same functions.
#include <algorithm>

#include "shell/help.h"

namespace zq::shell {
namespace {

constexpr HelpEntry kHelp[] = {
    // ---- Builtins: binary file I/O ----
    {"fopen", "open a file, or ask about the open files",
     "fid = fopen(NAME)                 open for reading, through the search path\n"
     "[fid, message] = fopen(NAME, PERMISSION)     'r' 'w' 'a' 'r+' 'w+' 'a+' 'W' 'A'\n"
     "fid = fopen(NAME, PERMISSION, FORMAT)        'n' 'l' 'b' 'd' 'g' 'c' 'a' 's'\n"
     "fids = fopen('all')               the identifiers of the open files\n"
     "[name, permission, format, bits] = fopen(fid)"},
    {"fclose", "close a file or all files",
     "status = fclose(fid)              0 when closed, -1 when closing failed\n"
     "status = fclose('all')"},
    {"fread", "read binary data from a file",
     "A = fread(fid)                    every byte left, as a column of doubles\n"
     "A = fread(fid, SIZE)              N, Inf, [M N] or [M Inf]\n"
     "A = fread(fid, SIZE, PRECISION)   'int16', '*int16', 'uint8=>char', 'bit3', ...\n"
     "A = fread(fid, SIZE, PRECISION, SKIP, FORMAT)\n"
     "[A, count] = fread(...)"},
    {"fwrite", "write binary data to a file",
     "count = fwrite(fid, A)            as unsigned bytes\n"
     "count = fwrite(fid, A, PRECISION)\n"
     "count = fwrite(fid, A, PRECISION, SKIP, FORMAT)"},
    {"fscanf", "read formatted data from a file",
     "A = fscanf(fid, FORMAT)           '%d' '%f' '%g' '%s' '%c' '%[...]' ...\n"
     "A = fscanf(fid, FORMAT, SIZE)     N, Inf, [M N] or [M Inf]\n"
     "[A, count] = fscanf(...)"},
    {"fprintf", "write formatted text to a file or the command window",
     "fprintf(FORMAT, A, ...)           to the command window\n"
     "count = fprintf(fid, FORMAT, A, ...)\n"
     "The format is used again from its start while data remain."},
    {"sscanf", "read formatted data from a string",
     "A = sscanf(TEXT, FORMAT)\n"
     "A = sscanf(TEXT, FORMAT, SIZE)\n"
     "[A, count, message, next] = sscanf(...)"},
    {"sprintf", "format data into a string",
     "s = sprintf(FORMAT, A, ...)\n"
     "[s, message] = sprintf(...)"},
    {"fgets", "read a line from a file, with its terminator",
     "line = fgets(fid)                 -1 at the end of the file\n"
     "line = fgets(fid, NCHAR)          at most NCHAR characters\n"
     "[line, terminator] = fgets(...)"},
    {"fseek", "move to a position in a file",
     "status = fseek(fid, OFFSET, ORIGIN)   ORIGIN 'bof' 'cof' 'eof' or -1 0 1"},
    {"ftell", "the position in a file", "position = ftell(fid)             in bytes, or -1"},
    {"ferror", "the last error of a file",
     "message = ferror(fid)\n"
     "[message, code] = ferror(fid, 'clear')"},
    {"feof", "test for the end of a file", "tf = feof(fid)"},
    // ---- Builtins: directories ----
    {"chdir", "change or show the current directory (same as cd)", "chdir DIR\nold = chdir(DIR)\nd = chdir"},
    {"cd", "change or show the current directory",
     "cd                                shows the current directory\n"
     "cd DIR                            changes to DIR (cd .. goes up)\n"
     "d = cd\n"
     "old = cd(DIR)                     changes and returns the old one"},
    {"delete", "delete files", "delete NAME ...                   NAME may hold * wildcards"},
    {"dir", "list a directory",
     "dir                               the current directory, in columns\n"
     "dir PATH                          a directory, a file or a pattern (*.txt)\n"
     "s = dir(PATH)                     a structure array: name, date, bytes, isdir"},
    // ---- Builtins: display ----
    {"format", "set how numbers are displayed",
     "format                            short and loose again\n"
     "format short | long | short e | long e | short g | long g\n"
     "format hex | bank | + | rat | debug\n"
     "format compact | loose            blank lines around values or not"},
    {"display", "show a value with its name", "display(x)                        what x = ... shows"},
    {"disp", "show a value without its name", "disp(x)                           nothing for an empty value"},
    // ---- Builtins: strings ----
    {"char", "make a character array",
     "c = char(A)                       character codes to characters\n"
     "c = char(s1, s2, ...)             strings as the rows of a padded matrix\n"
     "c = char(cellOfStrings)"},
    {"isspace", "true for white-space characters", "tf = isspace(s)"},
    {"isletter", "true for letters", "tf = isletter(s)"},
    {"upper", "convert to upper case", "u = upper(s)\nu = upper(cellOfStrings)"},
    {"lower", "convert to lower case", "l = lower(s)\nl = lower(cellOfStrings)"},
    {"strcmp", "compare strings", "tf = strcmp(a, b)                 a and b strings or cells of strings"},
    {"strcmpi", "compare strings, ignoring case", "tf = strcmpi(a, b)"},
    {"strncmp", "compare the first N characters", "tf = strncmp(a, b, N)"},
    {"strncmpi", "compare the first N characters, ignoring case", "tf = strncmpi(a, b, N)"},
    {"findstr", "find the shorter string in the longer", "k = findstr(a, b)                 start indices"},
    {"strfind", "find a pattern in a string", "k = strfind(TEXT, PATTERN)       start indices"},
    {"strrep", "replace every occurrence of a string", "s = strrep(TEXT, OLD, NEW)"},
    {"setstr", "make a character array (older name of char)", "c = setstr(A)"},
    {"string", "make a character array of one argument", "c = string(A)"},
    // ---- Builtins: types and session ----
    {"clock", "the date and time", "c = clock                         [year month day hour minute seconds]"},
    {"cputime", "the CPU time used, in seconds", "t = cputime"},
    {"double", "convert to double", "d = double(x)"},
    {"single", "convert to single", "s = single(x)"},
    {"uint8", "convert to uint8", "y = uint8(x)                      rounded, saturated at 0 and 255"},
    {"uint16", "convert to uint16", "y = uint16(x)"},
    {"uint32", "convert to uint32", "y = uint32(x)"},
    {"int8", "convert to int8", "y = int8(x)                       rounded, saturated at -128 and 127"},
    {"int16", "convert to int16", "y = int16(x)"},
    {"int32", "convert to int32", "y = int32(x)"},
    {"func2str", "the text of a function handle", "s = func2str(h)"},
    {"functions", "information about a function handle",
     "s = functions(h)                  fields function, type, file"},
    {"str2func", "make a function handle from text", "h = str2func('sin')\nh = str2func('@(x) x + 1')"},
    {"feature", "query or set a host feature",
     "v = feature(NAME)\n"
     "feature(NAME, VALUE)\n"
     "names = feature('Features')"},
    {"getenv", "the value of an environment variable", "v = getenv(NAME)"},
    {"beep", "ring the bell, or turn it on or off",
     "beep\n"
     "beep on | off\n"
     "state = beep"},
    {"isstr", "true for a character array (older name of ischar)", "tf = isstr(x)"},
    {"ischar", "true for a character array", "tf = ischar(x)"},
    {"computer", "the type of computer", "[type, maxsize, endian] = computer"},
    {"isglobal", "true for a global variable", "tf = isglobal(x)"},
    {"lasterr", "the last error message", "msg = lasterr\nlasterr(TEXT)                     sets it"},
    {"lastwarn", "the last warning message", "msg = lastwarn\nlastwarn(TEXT)                    sets it"},
    {"islogical", "true for a logical array", "tf = islogical(x)"},
    {"issparse", "true for a sparse matrix", "tf = issparse(x)"},
    {"isreal", "true for an array without imaginary part", "tf = isreal(x)"},
    {"zelmarroot", "the installation root", "r = zelmarroot                    ZQROOT, else where zq is installed"},
    {"_colonobj", "the range a:b or a:b:c (what the colon operator calls)",
     "r = _colonobj(a, b)\nr = _colonobj(a, step, b)"},
    {"warning", "issue a warning, or set how warnings are shown",
     "warning(TEXT)\n"
     "warning on | off | debug | backtrace\n"
     "warning('on', 'backtrace')\n"
     "[mode, frequency] = warning"},
    // ---- Host functions: constants and constructors ----
    {"pi", "the number pi", "p = pi"},
    {"eps", "the spacing of doubles at 1", "e = eps"},
    {"Inf", "infinity", "x = Inf\nx = Inf(M, N)"},
    {"inf", "infinity (same as Inf)", "x = inf\nx = inf(M, N)"},
    {"NaN", "not a number", "x = NaN\nx = NaN(M, N)"},
    {"nan", "not a number (same as NaN)", "x = nan\nx = nan(M, N)"},
    {"i", "the imaginary unit", "z = 3 + 2*i"},
    {"j", "the imaginary unit (same as i)", "z = 3 + 2*j"},
    {"true", "logical true", "t = true\nt = true(M, N)"},
    {"false", "logical false", "f = false\nf = false(M, N)"},
    {"zeros", "an array of zeros", "A = zeros(N)\nA = zeros(M, N, ...)\nA = zeros([M N], CLASS)"},
    {"ones", "an array of ones", "A = ones(N)\nA = ones(M, N, ...)\nA = ones([M N], CLASS)"},
    {"eye", "an identity matrix", "I = eye(N)\nI = eye(M, N)"},
    {"cell", "an array of empty cells", "c = cell(N)\nc = cell(M, N, ...)"},
    {"struct", "a structure", "s = struct('name', value, ...)     a cell value makes a structure array"},
    {"reshape", "the same elements in another shape", "B = reshape(A, M, N, ...)\nB = reshape(A, [M N ...])"},
    {"cat", "concatenate along a dimension", "C = cat(DIM, A, B, ...)"},
    {"sparse", "a sparse matrix",
     "S = sparse(A)\n"
     "S = sparse(I, J, V)\n"
     "S = sparse(I, J, V, M, N)"},
    {"full", "a full matrix from a sparse one", "A = full(S)"},
    {"complex", "a complex array", "z = complex(re, im)"},
    {"logical", "convert to logical", "tf = logical(x)"},
    {"zqobject", "an object of a class, from a structure",
     "obj = zqobject(CLASSNAME, S)      the fields and dimensions of S\n"
     "obj = zqobject(CLASSNAME, S, SIZE)   also the size it reports"},
    {"zqopaque", "an opaque value of a class", "v = zqopaque(CLASSNAME)\nv = zqopaque(CLASSNAME, D1, D2, ...)"},
    // ---- Host functions: math ----
    {"real", "the real part", "r = real(z)"},
    {"imag", "the imaginary part", "y = imag(z)"},
    {"abs", "the absolute value", "a = abs(x)"},
    {"floor", "round toward minus infinity", "y = floor(x)"},
    {"ceil", "round toward plus infinity", "y = ceil(x)"},
    {"round", "round to the nearest integer, halves away from zero", "y = round(x)"},
    {"fix", "round toward zero", "y = fix(x)"},
    {"mod", "the remainder after division, with the sign of the divisor", "r = mod(x, y)"},
    {"sum", "the sum of elements", "s = sum(A)                        of each column\ns = sum(A, DIM)"},
    {"any", "true when any element is nonzero", "tf = any(A)\ntf = any(A, DIM)"},
    {"all", "true when every element is nonzero", "tf = all(A)\ntf = all(A, DIM)"},
    {"isequal", "true when arrays are equal in size and values", "tf = isequal(A, B, ...)"},
    // ---- Host functions: queries ----
    {"size", "the dimensions of an array", "d = size(A)\nn = size(A, DIM)\n[m, n] = size(A)"},
    {"numel", "the number of elements", "n = numel(A)"},
    {"ndims", "the number of dimensions", "n = ndims(A)"},
    {"length", "the longest dimension (0 when empty)", "n = length(A)"},
    {"class", "the class of a value", "c = class(x)"},
    {"isempty", "true for an empty array", "tf = isempty(A)"},
    {"fieldnames", "the field names of a structure", "names = fieldnames(s)"},
    {"isfield", "true when a structure has a field", "tf = isfield(s, NAME)\ntf = isfield(s, {NAMES})"},
    // ---- Host functions: the session ----
    {"feval", "call a function by name or handle", "[a, b, ...] = feval(F, x, ...)"},
    {"error", "raise an error",
     "error(TEXT)\n"
     "error(FORMAT, values...)          formatted as sprintf does\n"
     "An empty text raises nothing."},
    {"clear", "remove variables", "clear                             all of them\nclear NAME ..."},
    {"who", "list the names of the variables", "who\nnames = who"},
    {"whos", "list the variables with their size, bytes and class", "whos\nwhos NAME ..."},
    {"global", "declare global variables", "global NAME ..."},
    {"exist", "what a name is",
     "k = exist(NAME)                   1 variable, 5 builtin or host function,\n"
     "                                  2 file, 7 directory, 0 nothing\n"
     "k = exist(NAME, KIND)             KIND 'var', 'builtin', 'file' or 'dir'"},
    {"help", "list the functions, or show the forms of one", "help\nhelp NAME"},
    {"exit", "end the session", "exit\nexit(STATUS)                      the exit status of zq"},
    {"quit", "end the session (same as exit)", "quit\nquit(STATUS)"},
};

}  // namespace

std::span<const HelpEntry> helpEntries() { return kHelp; }

const HelpEntry *findHelp(std::string_view name) {
  const auto it = std::find_if(std::begin(kHelp), std::end(kHelp), [&](const HelpEntry &e) { return e.name == name; });
  return it == std::end(kHelp) ? nullptr : it;
}

}  // namespace zq::shell
