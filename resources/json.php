<?php
/*
 * Tillbox: shared helpers of the shop's server scripts (couponChecker.php,
 * orderMailer.php). Included with require_once __DIR__ . '/json.php'.
 *
 * Including this file hardens the request: PHP errors are logged, never
 * shown (a warning in a JSON answer would break the cart and could reveal
 * server paths), and everything printed before json_response() is dropped.
 * Works on PHP 7.0 and later.
 *
 * It also keeps the scripts' small store: a private folder in the system's
 * temporary folder (one per shared folder) holding the per-address request
 * counts of the rate limits and the answers to orders already sent, each
 * kept for a day at most.
 */

if (defined('TILLBOX_JSON_HELPERS')) {
    return;
}
define('TILLBOX_JSON_HELPERS', true);

// Set before anything else can fail. Parse errors of the calling script
// itself happen before this line; the scripts are shipped tested.
@ini_set('display_errors', '0');
@ini_set('display_startup_errors', '0');
@ini_set('html_errors', '0');
@ini_set('log_errors', '1');
error_reporting(E_ALL);

// Stray output (a warning that slipped through, whitespace after the closing
// tag of an included file) would otherwise go out before the JSON headers.
ob_start();

// Largest body taken, JSON or form; PHP's post_max_size may set a lower one.
const TILLBOX_MAX_BODY_BYTES = 1048576;
const TILLBOX_STORE_LIFETIME = 86400;

/*
 * Sends $data as the JSON answer with HTTP status $status and ends the
 * request. Whatever was printed before is discarded.
 */
function json_response($data, $status = 200)
{
    tillbox_emit_json($data, $status);
    exit;
}

function tillbox_emit_json($data, $status)
{
    while (ob_get_level() > 0) {
        ob_end_clean();
    }
    $flags = JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_HEX_TAG | JSON_HEX_AMP
        | JSON_PARTIAL_OUTPUT_ON_ERROR;
    if (defined('JSON_INVALID_UTF8_SUBSTITUTE')) {
        $flags |= JSON_INVALID_UTF8_SUBSTITUTE;
    }
    $body = json_encode($data, $flags);
    if (!is_string($body)) {
        $status = 500;
        $body = '{"ok":false,"error":"The answer could not be encoded."}';
    }
    if (!headers_sent()) {
        http_response_code((int)$status);
        header('Content-Type: application/json; charset=utf-8');
        header('Cache-Control: no-store');
        header('X-Content-Type-Options: nosniff');
    }
    echo $body;
}

/*
 * A fatal error (out of memory, a missing extension) still answers with JSON
 * instead of an empty or half-written page. $tillboxFatalBody is set by the
 * calling script to the shape its clients expect.
 */
$GLOBALS['tillboxFatalBody'] = array('ok' => false, 'error' => 'The server could not handle the request.');
register_shutdown_function(function () {
    $error = error_get_last();
    $fatal = E_ERROR | E_PARSE | E_CORE_ERROR | E_COMPILE_ERROR | E_USER_ERROR | E_RECOVERABLE_ERROR;
    if ($error !== null && ($error['type'] & $fatal) !== 0) {
        tillbox_emit_json($GLOBALS['tillboxFatalBody'], 500);
    }
});

/*
 * Ends the request with 405 unless it is a POST. $body is the JSON answer to
 * give (each script answers in its own shape).
 */
function json_require_post($body)
{
    $method = isset($_SERVER['REQUEST_METHOD']) ? strtoupper((string)$_SERVER['REQUEST_METHOD']) : '';
    if ($method !== 'POST') {
        if (!headers_sent()) {
            header('Allow: POST');
        }
        json_response($body, 405);
    }
}

/* A php.ini size ("8M", "512K", "1G", "0") in bytes; 0 means no limit. */
function tillbox_ini_bytes($value)
{
    $value = trim((string)$value);
    if (preg_match('/^(\d+)\s*([KMG]?)/i', $value, $m) !== 1) {
        return 0;
    }
    $factors = array('' => 1, 'K' => 1024, 'M' => 1048576, 'G' => 1073741824);
    return (int)$m[1] * $factors[strtoupper($m[2])];
}

/*
 * The request's fields as an array: the decoded object of a JSON body
 * (Content-Type application/json), otherwise the form fields ($_POST, which
 * also covers multipart bodies). A body larger than this script or PHP takes
 * ends the request with 413 and $tooLarge as the answer (PHP would otherwise
 * hand over an empty form, to be answered as missing fields). Returns null
 * for a JSON body that is not valid JSON or is not an object.
 */
function json_request_data($tooLarge)
{
    $length = isset($_SERVER['CONTENT_LENGTH']) ? (int)$_SERVER['CONTENT_LENGTH'] : 0;
    $limit = tillbox_ini_bytes(ini_get('post_max_size'));
    if ($length > TILLBOX_MAX_BODY_BYTES || ($limit > 0 && $length > $limit)) {
        error_log('Tillbox: a request body of ' . $length . ' bytes was refused as too large.');
        json_response($tooLarge, 413);
    }
    $type = isset($_SERVER['CONTENT_TYPE']) ? strtolower((string)$_SERVER['CONTENT_TYPE']) : '';
    if (strpos($type, 'application/json') !== 0) {
        return is_array($_POST) ? $_POST : array();
    }
    $raw = file_get_contents('php://input', false, null, 0, TILLBOX_MAX_BODY_BYTES + 1);
    if (is_string($raw) && strlen($raw) > TILLBOX_MAX_BODY_BYTES) {
        json_response($tooLarge, 413);
    }
    $data = is_string($raw) ? json_decode($raw, true, 16) : null;
    return is_array($data) ? $data : null;
}

/*
 * A scalar request value as text; null for arrays and objects, so that a
 * field sent as "name[]" cannot pass for text.
 */
function json_text($value)
{
    if ($value === null) {
        return '';
    }
    if (is_string($value)) {
        return $value;
    }
    if (is_bool($value)) {
        return $value ? 'true' : 'false';
    }
    if (is_int($value) || is_float($value)) {
        return (string)$value;
    }
    return null;
}

/* True when $text is valid UTF-8 (works without the mbstring extension). */
function json_is_utf8($text)
{
    return preg_match('//u', $text) === 1;
}

/* Number of characters (code points) of valid UTF-8 text. */
function json_text_length($text)
{
    return preg_match_all('/./us', $text);
}

/* Whether two texts are equal ignoring case, for every letter of any script
   (PCRE's Unicode case folding: the same with or without mbstring). */
function tillbox_same_text_ignoring_case($a, $b)
{
    if (strlen($a) > 4 * strlen($b) + 4 || strlen($b) > 4 * strlen($a) + 4) {
        return false;
    }
    return preg_match('/\A' . preg_quote($a, '/') . '\z/iu', $b) === 1;
}

// ---------------------------------------------------------------------------
// Site files

/*
 * The site root: the folder holding the "rw_common" folder above this
 * script. It comes from the script's own location, never from the request.
 */
function tillbox_site_root()
{
    $dir = realpath(__DIR__);
    while (is_string($dir) && $dir !== '') {
        $parent = dirname($dir);
        if (basename($dir) === 'rw_common') {
            return $parent;
        }
        if ($parent === $dir) {
            break;
        }
        $dir = $parent;
    }
    return null;
}

/*
 * The real path of a page's table $fileName ("coupons.php") named by the
 * request relative to the site root, as the page's files folder
 * ("shop/files") or the table itself; null when refused: outside the site
 * (no "..", symbolic links resolved), not a file of that name, or missing.
 */
function tillbox_site_table_path($relative, $fileName)
{
    if ($relative === '' || strlen($relative) > 1000
        || strpos($relative, "\0") !== false || strpos($relative, '\\') !== false
        || strpos($relative, ':') !== false) {
        return null;
    }
    $relative = trim($relative, '/');
    $segments = $relative === '' ? array() : explode('/', $relative);
    foreach ($segments as $segment) {
        if ($segment === '..') {
            return null;
        }
    }
    if (empty($segments) || end($segments) !== $fileName) {
        $segments[] = $fileName;
    }

    $root = tillbox_site_root();
    if ($root === null) {
        return null;
    }
    $path = realpath($root . '/' . implode('/', $segments));
    if (!is_string($path) || !is_file($path)) {
        return null;
    }
    // realpath() resolved every link: the table must still be inside the
    // site and still be a table of that name.
    $prefix = rtrim($root, DIRECTORY_SEPARATOR) . DIRECTORY_SEPARATOR;
    if (strpos($path, $prefix) !== 0 || basename($path) !== $fileName) {
        return null;
    }
    return $path;
}

// ---------------------------------------------------------------------------
// The store

/* The store's folder, made on first use; null when it cannot be had. */
function tillbox_store_folder()
{
    static $folder = false;
    if ($folder !== false) {
        return $folder;
    }
    $folder = null;
    $path = rtrim(sys_get_temp_dir(), '/\\') . DIRECTORY_SEPARATOR . 'tillbox-'
        . substr(hash('sha256', __DIR__), 0, 20);
    if (!is_dir($path)) {
        @mkdir($path, 0700);
    }
    // Never a folder someone else made or a link to one: it holds who
    // ordered when.
    $ours = !function_exists('posix_geteuid') || @fileowner($path) === posix_geteuid();
    if (is_dir($path) && !is_link($path) && $ours && is_writable($path)) {
        $folder = $path;
        if (mt_rand(1, 50) === 1) {
            tillbox_store_prune($path);
        }
    } else {
        error_log('Tillbox: no private folder for the rate limits and sent orders in ' . sys_get_temp_dir()
            . '; both are off.');
    }
    return $folder;
}

/* Removes entries older than the store keeps anything. */
function tillbox_store_prune($folder)
{
    $before = time() - TILLBOX_STORE_LIFETIME;
    foreach ((array)@scandir($folder) as $name) {
        $path = $folder . DIRECTORY_SEPARATOR . $name;
        if (preg_match('/^(rate|order)-[0-9a-f]+\.json$/', (string)$name) === 1 && @filemtime($path) < $before) {
            @unlink($path);
        }
    }
}

/*
 * The store's entry $name opened and locked for this request alone, waiting
 * at most until $deadline (a microtime); null when the store is off or the
 * lock was not had in time.
 */
function tillbox_store_open($name, $deadline)
{
    $folder = tillbox_store_folder();
    if ($folder === null) {
        return null;
    }
    $handle = @fopen($folder . DIRECTORY_SEPARATOR . $name, 'c+');
    if ($handle === false) {
        return null;
    }
    while (!flock($handle, LOCK_EX | LOCK_NB)) {
        if (microtime(true) >= $deadline) {
            fclose($handle);
            return null;
        }
        usleep(50000);
    }
    return $handle;
}

/* The entry's JSON value, or null when it is empty or older than a day. */
function tillbox_store_read($handle)
{
    $stat = fstat($handle);
    if ($stat === false || $stat['size'] === 0 || $stat['mtime'] < time() - TILLBOX_STORE_LIFETIME) {
        return null;
    }
    rewind($handle);
    $data = json_decode((string)stream_get_contents($handle), true);
    return is_array($data) ? $data : null;
}

function tillbox_store_write($handle, $data)
{
    rewind($handle);
    ftruncate($handle, 0);
    fwrite($handle, json_encode($data));
    fflush($handle);
}

function tillbox_store_close($handle)
{
    if ($handle !== null) {
        flock($handle, LOCK_UN);
        fclose($handle);
    }
}

/*
 * Counts this request against the client address's limit of $limit requests
 * in $window seconds for $scope ("order", "coupon"). Over it, the request
 * ends with 429, a Retry-After header and $answer. Without a store nothing
 * is limited: the shop keeps working.
 */
function tillbox_rate_limit($scope, $limit, $window, $answer)
{
    $address = isset($_SERVER['REMOTE_ADDR']) ? (string)$_SERVER['REMOTE_ADDR'] : '';
    $handle = tillbox_store_open('rate-' . substr(hash('sha256', $scope . ' ' . $address), 0, 40) . '.json',
        microtime(true) + 5);
    if ($handle === null) {
        return;
    }
    $now = microtime(true);
    $times = array();
    foreach ((array)tillbox_store_read($handle) as $time) {
        if (is_float($time) || is_int($time)) {
            if ($time > $now - $window) {
                $times[] = $time;
            }
        }
    }
    if (count($times) >= $limit) {
        tillbox_store_close($handle);
        $wait = max(1, (int)ceil(min($times) + $window - $now));
        error_log('Tillbox: ' . $scope . ' rate limit reached by ' . $address . '.');
        if (!headers_sent()) {
            header('Retry-After: ' . $wait);
        }
        json_response($answer, 429);
    }
    $times[] = $now;
    tillbox_store_write($handle, $times);
    tillbox_store_close($handle);
}
